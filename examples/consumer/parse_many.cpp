// Many reports parsed on several threads at once: each file's status and its
// diagnostics, printed in the order of the command line.
//
//   parse_many REPORT_FILE...
#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <rdbxml/rdb_xml.h>

int main(int argc, char** argv)
{
    std::vector<std::string> said(argc);
    std::vector<char> refused(argc, 0);  // not vector<bool>: one thread per element
    const int workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        // Each worker takes every workers-th file; parses on different
        // threads are independent.
        threads.emplace_back([&, w] {
            for (int i = 1 + w; i < argc; i += workers) {
                RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(argv[i]), RDB_XML_OPTIONS());
                refused[i] = !result.m_report;
                said[i] = std::string(argv[i]) + (refused[i] ? ": refused\n" : ": ok\n");
                for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
                    said[i] += "  " + std::to_string(d.m_line) + ":" + std::to_string(d.m_column) +
                               (d.m_severity == RDB_XML_DIAGNOSTIC::WARNING ? ": warning: " : ": error: ") +
                               d.m_message + "\n";
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 1; i < argc; ++i)
        std::fputs(said[i].c_str(), stdout);
    return std::count(refused.begin(), refused.end(), 1) == 0 ? 0 : 1;
}
