// The scale sweep: does every element kind cost the same per element at
// 10^4, 10^5 and 10^6 of it in one report? Each case is a report made in
// memory around one kind, parsed once per size (messages off); the table
// gives the time per element, which stays flat when the cost is linear.
//
//   rdb_bench_scale [--max N]   (largest count, default 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "msg.h"
#include "rdb_xml.h"

namespace {

struct SCALE_CASE {
    const char* name;
    // The report holding `count` elements of the kind.
    std::function<std::string(std::size_t count)> make;
};

const char* const HEAD = "<report><folders><root name=\"main\"/>";

std::string repeat(std::size_t count, const std::function<std::string(std::size_t)>& item)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += item(i);
    return text;
}

std::vector<SCALE_CASE> cases()
{
    return {
        {"gauges in one summary",
         [](std::size_t n) {
             return std::string(HEAD) + "</folders><summary name=\"s\" parent=\"main\"><gauges>" +
                    repeat(n, [](std::size_t) { return "<gauge name=\"g\"><min>0</min><max>9</max><value>4</value></gauge>"; }) +
                    "</gauges></summary></report>";
         }},
        {"folders declared and placed",
         [](std::size_t n) {
             return std::string(HEAD) +
                    repeat(n, [](std::size_t i) { return "<folder name=\"f" + std::to_string(i) + "\"/>"; }) +
                    "</folders>" +
                    repeat(n, [](std::size_t i) {
                        return "<folder_ref name=\"f" + std::to_string(i) + "\" parent=\"main\"/>";
                    }) +
                    "</report>";
         }},
        {"folder references, a chain",
         [](std::size_t n) {
             return std::string(HEAD) +
                    repeat(n, [](std::size_t i) { return "<folder name=\"f" + std::to_string(i) + "\"/>"; }) +
                    "</folders>" + repeat(n, [](std::size_t i) {
                        return "<folder_ref name=\"f" + std::to_string(i) + "\" parent=\"" +
                               (i == 0 ? std::string("main") : "f" + std::to_string(i - 1)) + "\"/>";
                    }) +
                    "</report>";
         }},
        {"objects in one folder",
         [](std::size_t n) {
             return std::string(HEAD) + "</folders>" +
                    repeat(n, [](std::size_t) { return "<text name=\"t\" parent=\"main\"/>"; }) + "</report>";
         }},
        {"rows in one table",
         [](std::size_t n) {
             return std::string(HEAD) + "</folders><table name=\"t\" parent=\"main\">" +
                    repeat(n, [](std::size_t) { return "<row><int_cell>7</int_cell></row>"; }) + "</table></report>";
         }},
        {"cells in one row",
         [](std::size_t n) {
             return std::string(HEAD) + "</folders><table name=\"t\" parent=\"main\"><row>" +
                    repeat(n, [](std::size_t) { return "<int_cell>7</int_cell>"; }) + "</row></table></report>";
         }},
        {"chart points",
         [](std::size_t n) {
             return std::string(HEAD) + "</folders><chart name=\"c\" parent=\"main\">" +
                    repeat(n, [](std::size_t) { return "<data name=\"d\">3</data>"; }) + "</chart></report>";
         }},
        {"slack columns",
         [](std::size_t n) {
             return std::string(HEAD) + "</folders><tan_slack_table name=\"t\" parent=\"main\">" +
                    repeat(n, [](std::size_t i) {
                        return "<column id=\"" + std::to_string(i) + "\" type=\"slack\"/>";
                    }) +
                    "</tan_slack_table></report>";
         }},
    };
}

double parse_seconds(const std::string& xml, bool& ok)
{
    auto start = std::chrono::steady_clock::now();
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "scale"), RDB_XML_OPTIONS());
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    ok = result.m_report != nullptr;
    return elapsed.count();
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t max = 1000000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--max") == 0)
            max = std::strtoul(argv[i + 1], nullptr, 10);
    msg_set_enabled(false);
    std::printf("| case | 10^4 | 10^5 | 10^6 | growth 10^4 -> largest |\n|---|---:|---:|---:|---:|\n");
    for (const SCALE_CASE& c : cases()) {
        std::printf("| %s", c.name);
        double first = 0, last = 0;
        for (std::size_t count = 10000; count <= max; count *= 10) {
            bool ok = false;
            double seconds = parse_seconds(c.make(count), ok);
            double per = seconds / static_cast<double>(count) * 1e9;
            if (count == 10000)
                first = per;
            last = per;
            std::printf(" | %.0f ns%s", per, ok ? "" : " (failed)");
            std::fflush(stdout);
        }
        std::printf(" | %.2fx |\n", last / first);
    }
    return 0;
}
