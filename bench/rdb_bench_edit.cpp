// rdb_bench_edit IN.xml OUT.xml [EDITS]: writes a copy of a report (one of
// rdb_bench_gen's) with EDITS integer cells (default 20), spread evenly over
// the file, one greater: the second report of the diff benchmark.
//
// rdb_bench_edit IN.xml OUT.xml --mixed: the copy a person would compare
// after a small change to a design instead: 5 delays one picosecond
// greater, one row deleted from a table whose first column repeats a value
// (the row's), and one table renamed ("Table N" to "Table N renamed"). A
// readable diff of the two lists 7 changes, not every row after the
// deleted one.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Where each element `tag` ("<int_cell", "<delay>") begins in `xml`.
std::vector<std::size_t> all_of(const std::string& xml, const char* tag)
{
    std::vector<std::size_t> at;
    for (std::size_t p = xml.find(tag); p != std::string::npos; p = xml.find(tag, p + 1))
        at.push_back(p);
    return at;
}

// The value of a cell or element that starts at `at`, up to the next '<'.
std::size_t value_start(const std::string& xml, std::size_t at) { return xml.find('>', at) + 1; }

// The number that starts at `at` one greater.
void add_one(std::string& xml, std::size_t at)
{
    std::size_t end = xml.find('<', at);
    xml.replace(at, end - at, std::to_string(std::atol(xml.substr(at, end - at).c_str()) + 1));
}

// The edits of --mixed, from the end of the file so that the places before
// stay where they are. False when the report lacks what they need.
bool mixed_edits(std::string& xml)
{
    std::vector<std::size_t> tables = all_of(xml, "  <table name=\"Table ");
    std::vector<std::size_t> delays = all_of(xml, "<delay>");
    if (tables.size() < 3 || delays.size() < 5)
        return false;
    // Renamed: the last table but one.
    std::size_t renamed = tables[tables.size() - 2];
    std::size_t name_end = xml.find('"', xml.find("name=\"", renamed) + 6);
    // One row deleted: the first in the middle table whose first cell
    // another row of the table repeats.
    std::size_t table = tables[tables.size() / 2];
    std::size_t table_end = xml.find("</table>", table);
    std::vector<std::pair<std::size_t, std::string>> rows;  // where, first cell
    for (std::size_t row = xml.find("<row>", table); row < table_end; row = xml.find("<row>", row + 1)) {
        std::size_t first = value_start(xml, xml.find('<', row + 5));
        rows.emplace_back(row, xml.substr(first, xml.find('<', first) - first));
    }
    std::size_t deleted = std::string::npos;
    for (std::size_t r = 1; r < rows.size() && deleted == std::string::npos; ++r)  // row 0: the titles
        for (std::size_t o = 1; o < rows.size(); ++o)
            if (o != r && rows[o].second == rows[r].second) {
                deleted = rows[r].first;
                break;
            }
    if (deleted == std::string::npos)
        return false;
    // Five delays: spread over the tables before the middle one.
    std::vector<std::size_t> changed;
    for (std::size_t d = 0; d < 5; ++d)
        changed.push_back(delays[(delays.size() / 3) * d / 5]);
    if (changed.back() >= table)
        return false;

    xml.insert(name_end, " renamed");
    std::size_t line_start = xml.rfind('\n', deleted) + 1;
    xml.erase(line_start, xml.find('\n', deleted) + 1 - line_start);
    for (std::size_t d = changed.size(); d-- > 0;)
        add_one(xml, value_start(xml, changed[d]));
    return true;
}

// EDITS integer cells one greater, spread evenly over the file.
bool integer_edits(std::string& xml, long edits)
{
    std::vector<std::size_t> cells = all_of(xml, "<int_cell");
    if (cells.empty() || edits <= 0)
        return false;
    for (long e = edits; e-- > 0;)
        add_one(xml, value_start(xml, cells[(cells.size() - 1) * e / (edits > 1 ? edits - 1 : 1)]));
    std::printf("%ld of %zu integer cells edited\n", edits, cells.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: rdb_bench_edit IN.xml OUT.xml [EDITS | --mixed]\n");
        return 2;
    }
    bool mixed = argc > 3 && std::string(argv[3]) == "--mixed";
    long edits = argc > 3 && !mixed ? std::atol(argv[3]) : 20;
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string xml = bytes.str();
    if (mixed ? !mixed_edits(xml) : !integer_edits(xml, edits)) {
        std::fprintf(stderr, mixed ? "rdb_bench_edit: the report is too small for the mixed edits\n"
                                   : "rdb_bench_edit: no integer cells to edit\n");
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << xml;
    if (!out.flush()) {
        std::fprintf(stderr, "rdb_bench_edit: cannot write %s\n", argv[2]);
        return 1;
    }
    if (mixed)
        std::printf("5 delays changed, 1 row deleted, 1 table renamed\n");
    return 0;
}
