// The scale sweep: does every element kind cost the same per element at
// 10^4, 10^5 and 10^6 of it in one report? Each case is a report made in
// memory around one kind, parsed once per size (messages off), and for some
// cases then walked, selected from or compared with itself (that alone
// timed); the table gives the time per element, which stays flat when the
// cost is linear.
//
//   rdb_bench_scale [--max N] [--case TEXT]
//                                    (largest count, default 1000000; only
//                                    the cases whose name holds TEXT)
//   rdb_bench_scale --write KEY N OUT
//                                    writes the report of case KEY at count N
//                                    to OUT, to run the tool on
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_diff.h>
#include <rdbxml/rdb_xml.h>
#include "rdb_bench_reports.h"

namespace {

struct SCALE_CASE {
    const char* key;  // for --write
    const char* name;
    // The report holding `count` elements of the kind.
    std::function<std::string(std::size_t count)> make;
    // When set, what is timed instead of the parse: work on its report.
    std::function<void(const RDB_FOLDER_OBJECT& main)> work = nullptr;
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
    auto chain = [](std::size_t count) { return rdb_bench_folder_chain(count, true); };
    return {
        {"gauges", "gauges in one summary",
         body_of("<summary name=\"s\" parent=\"main\"><gauges>",
                 fixed("<gauge name=\"g\"><min>0</min><max>9</max><value>4</value></gauge>"), "</gauges></summary>")},
        {"folders", "folders declared and placed", folders_placed([](std::size_t) { return std::string("main"); })},
        {"chain", "folder references, a chain", chain},
        {"filled", "filled folders placed under a chain (half each)",
         [](std::size_t count) { return rdb_bench_filled_folders_under_chain(count / 2, count / 2); }},
        {"chain", "a chain: walking its paths",
         chain, [](const RDB_FOLDER_OBJECT& main) { rdb_walk_paths(main, [](const std::string&, const RDB_OBJECT&) {}); }},
        {"chain", "a chain: --select '**/deep'", chain,
         [](const RDB_FOLDER_OBJECT& main) { RDB_PATH_SELECTION(main, {RDB_PATH_PATTERN("**/deep")}); }},
        {"chain", "a chain: diff with itself", chain,
         [](const RDB_FOLDER_OBJECT& main) { rdb_diff_reports(&main, &main, RDB_DIFF_OPTIONS(), [](const RDB_DIFF_CHANGE&) {}); }},
        {"objects", "objects in one folder", body_of("", fixed("<text name=\"t\" parent=\"main\"/>"), "")},
        {"rows", "rows in one table",
         body_of("<table name=\"t\" parent=\"main\">", fixed("<row><int_cell>7</int_cell></row>"), "</table>")},
        {"cells", "cells in one row",
         body_of("<table name=\"t\" parent=\"main\"><row>", fixed("<int_cell>7</int_cell>"), "</row></table>")},
        {"warnings", "cells before any row (a warning each)", rdb_bench_cells_before_any_row},
        {"defaults", "cells (count/10) of a DTD default (count/100 characters)",
         [](std::size_t count) { return rdb_bench_defaulted_attributes(count / 100, count / 10); }},
        {"points", "chart points", body_of("<chart name=\"c\" parent=\"main\">", fixed("<data name=\"d\">3</data>"), "</chart>")},
        {"columns", "slack columns",
         body_of("<tan_slack_table name=\"t\" parent=\"main\">",
                 [](std::size_t i) { return "<column id=\"" + std::to_string(i) + "\" type=\"slack\"/>"; },
                 "</tan_slack_table>")},
    };
}

}  // namespace

namespace {

// Seconds of the parse of `xml`, or of `work` on its report when given.
double run_seconds(const std::string& xml, const SCALE_CASE& c, bool& ok)
{
    auto start = std::chrono::steady_clock::now();
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "scale"), RDB_XML_OPTIONS());
    ok = result.m_report != nullptr;
    if (c.work && ok) {
        start = std::chrono::steady_clock::now();
        c.work(*result.m_report->get_main_folder());
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

int write_case(const char* key, std::size_t count, const char* out)
{
    for (const SCALE_CASE& c : cases()) {
        if (std::strcmp(c.key, key) != 0)
            continue;
        std::string xml = c.make(count);
        FILE* file = std::fopen(out, "wb");
        if (file == nullptr || std::fwrite(xml.data(), 1, xml.size(), file) != xml.size() || std::fclose(file) != 0) {
            std::perror(out);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "rdb_bench_scale: no case %s\n", key);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t max = 1000000;
    if (argc == 5 && std::strcmp(argv[1], "--write") == 0)
        return write_case(argv[2], std::strtoul(argv[3], nullptr, 10), argv[4]);
    const char* only = "";
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--max") == 0)
            max = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--case") == 0)
            only = argv[i + 1];
    }
    msg_set_enabled(false);
    std::printf("| case | 10^4 | 10^5 | 10^6 | growth 10^4 -> largest |\n|---|---:|---:|---:|---:|\n");
    for (const SCALE_CASE& c : cases()) {
        if (std::strstr(c.name, only) == nullptr)
            continue;
        std::printf("| %s", c.name);
        double first = 0, last = 0;
        for (std::size_t count = 10000; count <= max; count *= 10) {
            bool ok = false;
            double seconds = run_seconds(c.make(count), c, ok);
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
