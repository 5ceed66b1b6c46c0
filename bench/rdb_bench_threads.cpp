// Parses on several threads at once: throughput of 1, 2, ... threads, each
// parsing the same file in turn (messages off).
//
//   rdb_bench_threads FILE [MAX_THREADS] [PARSES_PER_THREAD]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_xml.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [MAX_THREADS] [PARSES_PER_THREAD]\n", argv[0]);
        return 2;
    }
    const std::string file = argv[1];
    int max_threads = argc > 2 ? std::atoi(argv[2]) : 2;
    int parses = argc > 3 ? std::atoi(argv[3]) : 3;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    double megabytes = static_cast<double>(in.tellg()) / 1e6;
    msg_set_enabled(false);
    std::printf("| threads | parses | seconds | MB/s | speed-up |\n|---:|---:|---:|---:|---:|\n");
    double single = 0;
    for (int threads = 1; threads <= max_threads; ++threads) {
        bool all_parsed = true;
        auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> workers;
        std::vector<char> parsed(static_cast<std::size_t>(threads), 1);
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&, t] {
                for (int i = 0; i < parses; ++i)
                    if (rdb_xml_parse_input(RDB_XML_INPUT::file(file), RDB_XML_OPTIONS()).m_report == nullptr)
                        parsed[static_cast<std::size_t>(t)] = 0;
            });
        for (std::thread& worker : workers)
            worker.join();
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        for (char ok : parsed)
            all_parsed = all_parsed && ok;
        double rate = megabytes * threads * parses / elapsed.count();
        if (threads == 1)
            single = rate;
        std::printf("| %d | %d | %.2f | %.0f | %.2fx |%s\n", threads, threads * parses, elapsed.count(), rate,
                    rate / single, all_parsed ? "" : " (a parse failed)");
    }
    return 0;
}
