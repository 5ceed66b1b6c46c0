// rdb_bench_edit IN.xml OUT.xml [EDITS]: writes a copy of a report (one of
// rdb_bench_gen's) with EDITS integer cells (default 20), spread evenly over
// the file, one greater: the second report of the diff benchmark.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: rdb_bench_edit IN.xml OUT.xml [EDITS]\n");
        return 2;
    }
    long edits = argc > 3 ? std::atol(argv[3]) : 20;
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string xml = bytes.str();

    std::vector<std::size_t> cells;  // where each integer cell's value starts
    for (std::size_t at = xml.find("<int_cell"); at != std::string::npos; at = xml.find("<int_cell", at + 1))
        cells.push_back(xml.find('>', at) + 1);
    if (cells.empty() || edits <= 0) {
        std::fprintf(stderr, "rdb_bench_edit: no integer cells to edit\n");
        return 1;
    }
    // From the end, so that the places before stay where they are.
    for (long e = edits; e-- > 0;) {
        std::size_t at = cells[(cells.size() - 1) * e / (edits > 1 ? edits - 1 : 1)];
        std::size_t end = xml.find('<', at);
        long value = std::atol(xml.substr(at, end - at).c_str());
        xml.replace(at, end - at, std::to_string(value + 1));
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << xml;
    if (!out.flush()) {
        std::fprintf(stderr, "rdb_bench_edit: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%ld of %zu integer cells edited\n", edits, cells.size());
    return 0;
}
