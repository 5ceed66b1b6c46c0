// rdb_bench: measures the parser side by side on the same generated files.
//
//   rdb_bench [--dir DIR] [--reps N] [--small MB] [--large MB] [--seed S]
//
// Generates (with rdb_bench_gen beside this program) a small and a large
// report file, plain and gzip, in DIR, then runs every case N times, the
// cases taking turns so that the machine's noise spreads over all of them.
// Each run is a separate process (this program again, in child mode), so
// that its peak resident memory, taken from wait4, is its own. The table
// gives medians: MB/s of uncompressed bytes, the time against the dead
// parser on the same file, and the peak memory against the file's size.
// Messages are off while measuring.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef RDB_BENCH_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "brim_zifstream.h"
#include "msg.h"
#include "rdb_report.h"
#include "rdb_xml.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---------------------------------------------------------------- child side

// One measured operation on one file; prints its seconds. Exit status 0
// when it succeeded.
int run_case(const std::string& mode, const char* file)
{
    msg_set_enabled(false);
    if (mode == "read") {
        // The stream alone: plain bytes, or decompression for a gzip file.
        std::vector<char> block(1 << 16);
        auto start = std::chrono::steady_clock::now();
        BRIM_ZIFSTREAM stream(file, std::ios::in, nullptr, 16);
        unsigned long long total = 0;
        while (stream.good()) {
            stream.read(block.data(), static_cast<std::streamsize>(block.size()));
            total += static_cast<unsigned long long>(stream.gcount());
        }
        double elapsed = seconds_since(start);
        std::printf("%.6f\n", elapsed);
        return stream.bad() || total == 0 ? 1 : 0;
    }
    if (mode == "empty") {
        // The XML parser delivering every event to a handler that does
        // nothing: what any handler at all costs, before our own work.
        using namespace xercesc;
        auto start = std::chrono::steady_clock::now();
        XMLPlatformUtils::Initialize();
        SAX2XMLReader* reader = XMLReaderFactory::createXMLReader();
        reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
        reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
        reader->setFeature(XMLUni::fgXercesSchema, false);
        DefaultHandler handler;
        reader->setContentHandler(&handler);
        reader->setErrorHandler(&handler);
        bool ok = true;
        try {
            reader->parse(file);
        } catch (...) {
            ok = false;
        }
        double elapsed = seconds_since(start);
        delete reader;
        std::printf("%.6f\n", elapsed);
        return ok ? 0 : 1;
    }
    if (mode == "pugixml") {
#ifdef RDB_BENCH_HAVE_PUGIXML
        auto start = std::chrono::steady_clock::now();
        pugi::xml_document document;
        pugi::xml_parse_result result = document.load_file(file);
        double elapsed = seconds_since(start);
        std::printf("%.6f\n", elapsed);
        return result ? 0 : 1;
#else
        return 3;
#endif
    }
    bool schema = mode == "schema";
    bool static_buffers = mode != "dynamic";
    bool dead = mode == "dead";
    if (!schema && static_buffers && !dead && mode != "full")
        return 2;
    auto start = std::chrono::steady_clock::now();
    RDB_REPORT* report = rdb_xml_parse(file, nullptr, false, schema, false, static_buffers, dead);
    double elapsed = seconds_since(start);
    std::printf("%.6f\n", elapsed);
    std::fflush(stdout);
    delete report;
    return report != nullptr ? 0 : 1;
}

// --------------------------------------------------------------- parent side

struct BENCH_RUN {
    bool ok = false;
    double seconds = 0;
    double peak_mb = 0;  // peak resident memory, 1e6 bytes
};

std::string self_path()
{
    std::vector<char> path(4096);
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0)
        return std::string();
    return std::string(path.data(), static_cast<std::size_t>(n));
}

// Runs `program args...` as a child; its stdout is read back when `output`
// is not null.
bool spawn(const std::vector<std::string>& args, std::string* output, struct rusage* usage,
           const std::string& setting = std::string())
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid == 0) {
        ::close(fds[0]);
        ::dup2(fds[1], 1);
        ::close(fds[1]);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!setting.empty())
            ::putenv(const_cast<char*>(setting.c_str()));
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    struct rusage ru;
    std::memset(&ru, 0, sizeof ru);
    while (::wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
    }
    if (output != nullptr)
        *output = text;
    if (usage != nullptr)
        *usage = ru;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

BENCH_RUN measure(const std::string& self, const std::string& mode, const std::string& file,
                  const std::string& setting)
{
    BENCH_RUN run;
    std::string output;
    struct rusage usage;
    run.ok = spawn({self, "--child", mode, file}, &output, &usage, setting);
    run.seconds = std::atof(output.c_str());
    run.peak_mb = static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;  // ru_maxrss is in KiB
    return run;
}

double file_mb(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) / 1e6 : 0.0;
}

// Reads a file once so that every case finds it in the page cache.
void warm(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return;
    std::vector<char> block(1 << 20);
    while (std::fread(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::fclose(f);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    std::size_t m = values.size() / 2;
    return values.size() % 2 != 0 ? values[m] : (values[m - 1] + values[m]) / 2;
}

struct BENCH_CASE {
    std::string label;
    std::string mode;
    std::string file;       // the file the case reads
    std::string setting;    // NAME=value in the child's environment, if any
    double data_mb = 0;     // uncompressed bytes it stands for
    double file_mb = 0;     // uncompressed size, for the memory ratio
    int floor = -1;         // index of the dead-parser case on the same data
    std::vector<double> seconds;
    std::vector<double> peak_mb;
    bool failed = false;

    double time() const { return median(seconds); }
    double peak() const { return median(peak_mb); }
};

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

int usage()
{
    std::fprintf(stderr, "usage: rdb_bench [--dir DIR] [--reps N] [--small MB] [--large MB] [--seed S]\n");
    return 2;
}

int run_bench(int argc, char** argv)
{
    std::string dir = "bench-data";
    int reps = 5;
    std::string small = "10";
    std::string large = "100";
    std::string seed = "1";
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            return usage();
        std::string value = argv[++i];
        if (option == "--dir")
            dir = value;
        else if (option == "--reps")
            reps = std::max(1, std::atoi(value.c_str()));
        else if (option == "--small")
            small = value;
        else if (option == "--large")
            large = value;
        else if (option == "--seed")
            seed = value;
        else
            return usage();
    }

    const std::string self = self_path();
    const std::string generator = self.substr(0, self.rfind('/') + 1) + "rdb_bench_gen";
    ::mkdir(dir.c_str(), 0777);
    const std::string small_xml = dir + "/report_" + small + "mb.xml";
    const std::string large_xml = dir + "/report_" + large + "mb.xml";
    const std::string empty_xml = dir + "/report_empty.xml";
    for (const std::string& file : {small_xml, large_xml}) {
        std::string size = file == small_xml ? small : large;
        std::printf("generating %s (and .gz), seed %s\n", file.c_str(), seed.c_str());
        std::fflush(stdout);
        if (!spawn({generator, file, size, seed}, nullptr, nullptr)) {
            std::fprintf(stderr, "rdb_bench: %s failed\n", generator.c_str());
            return 1;
        }
    }
    // The smallest report: what a process costs before any data.
    if (std::FILE* f = std::fopen(empty_xml.c_str(), "wb")) {
        std::fputs("<report><folders><root name=\"main\"/></folders></report>\n", f);
        std::fclose(f);
    }

    const double small_mb = file_mb(small_xml);
    const double large_mb = file_mb(large_xml);
    const std::string large_gz = large_xml + ".gz";
    std::vector<BENCH_CASE> cases;
    auto add = [&](const std::string& label, const std::string& mode, const std::string& file, double mb) {
        BENCH_CASE c;
        c.label = label;
        c.mode = mode;
        c.file = file;
        c.data_mb = mb;
        c.file_mb = mb;
        cases.push_back(c);
        return static_cast<int>(cases.size()) - 1;
    };
    const std::string L = format("%.0f MB", large_mb);
    const std::string S = format("%.0f MB", small_mb);
    int dead_large = add("(2) dead parser, " + L, "dead", large_xml, large_mb);
    add("(2) parser with an empty handler, " + L, "empty", large_xml, large_mb);
    int full_large = add("(1) full parse, " + L, "full", large_xml, large_mb);
    add("(3) static buffers off, " + L, "dynamic", large_xml, large_mb);
    add("(3) schema on, " + L, "schema", large_xml, large_mb);
    // The host's allocator on transparent huge pages: far fewer page faults
    // while the report grows (a setting of the host process, not ours).
    int huge_large = add("(1) full parse, " + L + ", host malloc on huge pages", "full", large_xml,
                         large_mb);
    cases[huge_large].setting = "GLIBC_TUNABLES=glibc.malloc.hugetlb=1";
    int gzip_large = add("(4) full parse, " + L + " gzip", "full", large_gz, large_mb);
    int read_large = add("(4) read alone, " + L + " plain", "read", large_xml, large_mb);
    int unzip_large = add("(4) decompress alone, " + L + " gzip", "read", large_gz, large_mb);
    int dead_small = add("(2) dead parser, " + S, "dead", small_xml, small_mb);
    int full_small = add("(5) full parse, " + S, "full", small_xml, small_mb);
#ifdef RDB_BENCH_HAVE_PUGIXML
    int pugi_large = add("(6) pugixml load, " + L, "pugixml", large_xml, large_mb);
#else
    int pugi_large = -1;
#endif
    int empty = add("empty report (process baseline)", "full", empty_xml, 0);
    for (BENCH_CASE& c : cases)
        c.floor = c.file == small_xml ? dead_small : c.data_mb > 0 ? dead_large : -1;

    for (const BENCH_CASE& c : cases)
        warm(c.file);
    for (int rep = 0; rep < reps; ++rep) {
        std::printf("repetition %d of %d\n", rep + 1, reps);
        std::fflush(stdout);
        for (BENCH_CASE& c : cases) {
            BENCH_RUN run = measure(self, c.mode, c.file, c.setting);
            if (!run.ok) {
                c.failed = true;
                continue;
            }
            c.seconds.push_back(run.seconds);
            c.peak_mb.push_back(run.peak_mb);
        }
    }

    const double base_mb = cases[empty].peak();
    std::printf("\n%d repetitions, medians; MB = 10^6 bytes of uncompressed XML; peak = peak resident memory of the"
                " process, baseline %.1f MB\n\n",
                reps, base_mb);
    std::printf("| case | s | MB/s | × dead | peak MB | peak / file | (peak − baseline) / file |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const BENCH_CASE& c : cases) {
        if (c.failed) {
            std::printf("| %s | failed | | | | | |\n", c.label.c_str());
            continue;
        }
        if (c.data_mb <= 0)
            continue;
        double t = c.time();
        std::string ratio = c.floor >= 0 && cases[c.floor].time() > 0 ? format("%.2f", t / cases[c.floor].time()) : "";
        std::printf("| %s | %.3f | %.1f | %s | %.1f | %.2f | %.2f |\n", c.label.c_str(), t, c.data_mb / t,
                    ratio.c_str(), c.peak(), c.peak() / c.file_mb, (c.peak() - base_mb) / c.file_mb);
    }

    // The goals, from the same medians.
    auto verdict = [](bool met) { return met ? "met" : "NOT met"; };
    double full_ratio = cases[full_large].time() / cases[dead_large].time();
    std::printf("\nGoals:\n");
    std::printf("- full parse / dead parser on %s: %.2f (goal <= 1.5): %s\n", L.c_str(), full_ratio,
                verdict(full_ratio <= 1.5));
    double gzip_budget = cases[full_large].time() + cases[unzip_large].time();
    double gzip_extra = cases[unzip_large].time() - cases[read_large].time();
    std::printf("- gzip parse %.3f s vs plain parse + decompression alone %.3f s: %s"
                " (gzip costs %.3f s over plain; decompressing costs %.3f s over reading)\n",
                cases[gzip_large].time(), gzip_budget, verdict(cases[gzip_large].time() <= gzip_budget),
                cases[gzip_large].time() - cases[full_large].time(), gzip_extra);
    double memory = cases[full_large].peak() / large_mb;
    std::printf("- peak memory of the full parse / file size: %.2f (goal <= 1.5): %s\n", memory,
                verdict(memory <= 1.5));
    double size_ratio = large_mb / small_mb;
    double time_growth = cases[full_large].time() / cases[full_small].time() / size_ratio;
    double memory_growth = (cases[full_large].peak() - base_mb) / (cases[full_small].peak() - base_mb) / size_ratio;
    std::printf("- %.0fx input: time x%.2f, memory above baseline x%.2f of proportional (goal 0.9 .. 1.1): %s\n",
                size_ratio, time_growth, memory_growth,
                verdict(time_growth >= 0.9 && time_growth <= 1.1 && memory_growth >= 0.9 && memory_growth <= 1.1));
    if (pugi_large >= 0 && !cases[pugi_large].failed)
        std::printf("- pugixml: %.2f x dead parser time, peak %.2f x file\n",
                    cases[pugi_large].time() / cases[dead_large].time(), cases[pugi_large].peak() / large_mb);
    for (const BENCH_CASE& c : cases)
        if (c.failed)
            return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return run_case(argv[2], argv[3]);
    return run_bench(argc, argv);
}
