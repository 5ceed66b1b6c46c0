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

#include <rdbxml/msg.h>
#include <rdbxml/rdb_xml.h>

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

// A report of the main folder alone, with `count` items between `open` and
// `close` after the folders.
std::function<std::string(std::size_t)> body_of(std::string open, std::function<std::string(std::size_t)> item,
                                                std::string close)
{
    return [=](std::size_t count) {
        return std::string(HEAD) + "</folders>" + open + repeat(count, item) + close + "</report>";
    };
}

// `count` folders declared, each placed by `place(i)`.
std::function<std::string(std::size_t)> folders_placed(std::function<std::string(std::size_t)> parent_of)
{
    return [=](std::size_t count) {
        return std::string(HEAD) +
               repeat(count, [](std::size_t i) { return "<folder name=\"f" + std::to_string(i) + "\"/>"; }) +
               "</folders>" + repeat(count, [&](std::size_t i) {
                   return "<folder_ref name=\"f" + std::to_string(i) + "\" parent=\"" + parent_of(i) + "\"/>";
               }) +
               "</report>";
    };
}

std::vector<SCALE_CASE> cases()
{
    auto fixed = [](const char* text) { return [text](std::size_t) { return std::string(text); }; };
    return {
        {"gauges in one summary",
         body_of("<summary name=\"s\" parent=\"main\"><gauges>",
                 fixed("<gauge name=\"g\"><min>0</min><max>9</max><value>4</value></gauge>"), "</gauges></summary>")},
        {"folders declared and placed", folders_placed([](std::size_t) { return std::string("main"); })},
        {"folder references, a chain",
         folders_placed([](std::size_t i) { return i == 0 ? std::string("main") : "f" + std::to_string(i - 1); })},
        {"objects in one folder", body_of("", fixed("<text name=\"t\" parent=\"main\"/>"), "")},
        {"rows in one table",
         body_of("<table name=\"t\" parent=\"main\">", fixed("<row><int_cell>7</int_cell></row>"), "</table>")},
        {"cells in one row",
         body_of("<table name=\"t\" parent=\"main\"><row>", fixed("<int_cell>7</int_cell>"), "</row></table>")},
        {"chart points", body_of("<chart name=\"c\" parent=\"main\">", fixed("<data name=\"d\">3</data>"), "</chart>")},
        {"slack columns",
         body_of("<tan_slack_table name=\"t\" parent=\"main\">",
                 [](std::size_t i) { return "<column id=\"" + std::to_string(i) + "\" type=\"slack\"/>"; },
                 "</tan_slack_table>")},
    };
}

}  // namespace

namespace {

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
