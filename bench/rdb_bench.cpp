// rdb_bench: measures the parser side by side on the same generated files.
//
//   rdb_bench [--dir DIR] [--reps N] [--small MB] [--medium MB] [--large MB]
//             [--seed S] [--before RDB_BENCH]
//   rdb_bench --mixes [--dir DIR] [--reps N] [--medium MB] [--seed S] [--before RDB_BENCH]
//
// Generates (with rdb_bench_gen beside this program) a small, a medium and a
// large report file, plain and gzip, and zstd and xz copies of the large one
// (with the formats' own programs) in DIR, then runs every case N times, the
// cases taking turns so that the machine's noise spreads over all of them.
// Each run is a separate process (this program again, in child mode), so
// that its peak resident memory, taken from wait4, is its own. The table
// gives medians: MB/s of uncompressed bytes, the time against the dead
// parser on the same file, and the report's memory (the peak above the dead
// parser's) against the file's size. --before names the runner of an earlier
// build, whose full parses then run in the same turns. Messages are off
// while measuring.
//
// --mixes measures the generator's report mixes instead: a file of every mix
// at the medium size, the dead parser and the full parse on each, both with
// namespaces as the tool reads by default; and the peak memory of reading
// the default mix's file four times one after another in one process
// against reading it once.
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
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef RDB_BENCH_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>
#include "brim_zifstream.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---------------------------------------------------------------- child side

// One measured operation on one file; prints its seconds. Exit status 0
// when it succeeded. `count` is the number of reads of "seq".
int run_case(const std::string& mode, const char* file, int count)
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
    if (mode == "pair") {
        // Two parses of the file at once, each on a thread of its own.
        RDB_REPORT* reports[2] = {nullptr, nullptr};
        auto start = std::chrono::steady_clock::now();
        std::thread other([&] { reports[1] = rdb_xml_parse(file, nullptr, false, false, false, true, false); });
        reports[0] = rdb_xml_parse(file, nullptr, false, false, false, true, false);
        other.join();
        double elapsed = seconds_since(start);
        std::printf("%.6f\n", elapsed);
        std::fflush(stdout);
        bool ok = reports[0] != nullptr && reports[1] != nullptr;
        delete reports[0];
        delete reports[1];
        return ok ? 0 : 1;
    }
    if (mode == "seq") {
        // Reads one after another in one process, as a host that goes on
        // reading does: each report released before the next read.
        if (count < 1)
            return 2;
        bool ok = true;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count && ok; ++i) {
            RDB_REPORT* report = rdb_xml_parse(file, nullptr, false, false, true, true, false);
            ok = report != nullptr;
            delete report;
        }
        double elapsed = seconds_since(start);
        std::printf("%.6f\n", elapsed);
        return ok ? 0 : 1;
    }
    // "-ns": with namespaces, as the tool reads by default.
    bool namespaces = mode == "dead-ns" || mode == "full-ns";
    bool schema = mode == "schema";
    bool static_buffers = mode != "dynamic";
    bool dead = mode == "dead" || mode == "dead-ns";
    if (!schema && static_buffers && !dead && mode != "full" && mode != "full-ns")
        return 2;
    auto start = std::chrono::steady_clock::now();
    RDB_REPORT* report = rdb_xml_parse(file, nullptr, false, schema, namespaces, static_buffers, dead);
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
bool spawn(const std::vector<std::string>& args, std::string* output, struct rusage* usage)
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

BENCH_RUN measure(const std::string& program, const std::string& mode, const std::string& file,
                  const std::string& count = std::string())
{
    BENCH_RUN run;
    std::string output;
    struct rusage usage;
    std::vector<std::string> args = {program, "--child", mode, file};
    if (!count.empty())
        args.push_back(count);
    run.ok = spawn(args, &output, &usage);
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
    std::string program;    // the runner that measures it: this one, or the one given with --before
    std::string mode;
    std::string file;       // the file the case reads
    std::string count;      // the number of reads of "seq"
    double data_mb = 0;     // uncompressed bytes it stands for (both parses of a pair)
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
    std::fprintf(stderr, "usage: rdb_bench [--dir DIR] [--reps N] [--small MB] [--medium MB] [--large MB] [--seed S]"
                         " [--before RDB_BENCH]\n"
                         "       rdb_bench --mixes [--dir DIR] [--reps N] [--medium MB] [--seed S] [--before RDB_BENCH]\n");
    return 2;
}

// Runs every case `reps` times, the cases taking turns.
void run_turns(std::vector<BENCH_CASE>& cases, int reps)
{
    for (const BENCH_CASE& c : cases)
        warm(c.file);
    for (int rep = 0; rep < reps; ++rep) {
        std::printf("repetition %d of %d\n", rep + 1, reps);
        std::fflush(stdout);
        for (BENCH_CASE& c : cases) {
            BENCH_RUN run = measure(c.program, c.mode, c.file, c.count);
            if (!run.ok) {
                c.failed = true;
                continue;
            }
            c.seconds.push_back(run.seconds);
            c.peak_mb.push_back(run.peak_mb);
        }
    }
}

// Writes FILE.zst and FILE.xz beside FILE with the formats' own programs.
bool compress_copies(const std::string& file)
{
    return spawn({"/usr/bin/zstd", "-q", "-f", "-3", file, "-o", file + ".zst"}, nullptr, nullptr) &&
           spawn({"/usr/bin/xz", "-k", "-f", "-6", "-T1", file}, nullptr, nullptr);
}

// The runner's options, for either table.
struct BENCH_SETTINGS {
    bool mixes = false;
    std::string dir = "bench-data";
    int reps = 5;
    std::string sizes[3] = {"10", "20", "100"};  // small, medium, large
    std::string seed = "1";
    std::string before;
};

// False for options the chosen table does not take (--small and --large
// are not the mixes').
bool parse_settings(int argc, char** argv, BENCH_SETTINGS& settings)
{
    for (int i = 1; i < argc; ++i)
        settings.mixes = settings.mixes || std::strcmp(argv[i], "--mixes") == 0;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--mixes")
            continue;
        if (i + 1 >= argc)
            return false;
        std::string value = argv[++i];
        if (option == "--dir")
            settings.dir = value;
        else if (option == "--reps")
            settings.reps = std::max(1, std::atoi(value.c_str()));
        else if (option == "--small" && !settings.mixes)
            settings.sizes[0] = value;
        else if (option == "--medium")
            settings.sizes[1] = value;
        else if (option == "--large" && !settings.mixes)
            settings.sizes[2] = value;
        else if (option == "--seed")
            settings.seed = value;
        else if (option == "--before")
            settings.before = value;
        else
            return false;
    }
    return true;
}

// Appends a case that `program` measures; its index.
int add_case(std::vector<BENCH_CASE>& cases, const std::string& program, const std::string& label,
             const std::string& mode, const std::string& file, double mb, const std::string& count = std::string())
{
    BENCH_CASE c;
    c.label = label;
    c.program = program;
    c.mode = mode;
    c.file = file;
    c.count = count;
    c.data_mb = mb;
    c.file_mb = mb;
    cases.push_back(c);
    return static_cast<int>(cases.size()) - 1;
}

// The generator beside the runner `self`.
std::string generator_beside(const std::string& self) { return self.substr(0, self.rfind('/') + 1) + "rdb_bench_gen"; }

int run_bench(const BENCH_SETTINGS& settings)
{
    const std::string& dir = settings.dir;
    const int reps = settings.reps;
    const std::string* sizes = settings.sizes;
    const std::string& seed = settings.seed;
    const std::string& before = settings.before;

    const std::string self = self_path();
    const std::string generator = generator_beside(self);
    ::mkdir(dir.c_str(), 0777);
    std::string xml[3];
    double mb[3];
    for (int i = 0; i < 3; ++i) {
        xml[i] = dir + "/report_" + sizes[i] + "mb.xml";
        std::printf("generating %s (and .gz), seed %s\n", xml[i].c_str(), seed.c_str());
        std::fflush(stdout);
        if (!spawn({generator, xml[i], sizes[i], seed}, nullptr, nullptr)) {
            std::fprintf(stderr, "rdb_bench: %s failed\n", generator.c_str());
            return 1;
        }
        mb[i] = file_mb(xml[i]);
    }
    const std::string& large_xml = xml[2];
    if (!compress_copies(large_xml)) {
        std::fprintf(stderr, "rdb_bench: zstd or xz failed on %s\n", large_xml.c_str());
        return 1;
    }
    const double large_mb = mb[2];

    std::vector<BENCH_CASE> cases;
    auto add = [&](const std::string& label, const std::string& mode, const std::string& file, double data_mb,
                   const std::string& program = std::string()) {
        return add_case(cases, program.empty() ? self : program, label, mode, file, data_mb);
    };
    int dead[3], full[3], old_full[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) {
        const std::string size = format("%.0f MB", mb[i]);
        dead[i] = add("dead parser, " + size, "dead", xml[i], mb[i]);
        full[i] = add("full parse, " + size, "full", xml[i], mb[i]);
        if (!before.empty() && i != 0)
            old_full[i] = add("full parse, " + size + ", before", "full", xml[i], mb[i], before);
    }
    const std::string L = format("%.0f MB", large_mb);
    add("parser with an empty handler, " + L, "empty", large_xml, large_mb);
    add("static buffers off, " + L, "dynamic", large_xml, large_mb);
    add("schema on, " + L, "schema", large_xml, large_mb);
    const char* const formats[] = {".gz", ".zst", ".xz"};
    int packed[3], old_packed = -1;
    for (int f = 0; f < 3; ++f)
        packed[f] = add(std::string("full parse, ") + L + " " + (formats[f] + 1), "full", large_xml + formats[f],
                        large_mb);
    if (!before.empty())
        old_packed = add("full parse, " + L + " gz, before", "full", large_xml + ".gz", large_mb, before);
    add("decompress alone, " + L + " gz", "read", large_xml + ".gz", large_mb);
    int pair = add("two parses at once on two threads, " + L, "pair", large_xml, 2 * large_mb);
    cases[pair].file_mb = large_mb;
#ifdef RDB_BENCH_HAVE_PUGIXML
    int pugi = add("pugixml load (a DOM, for reference), " + L, "pugixml", large_xml, large_mb);
#else
    int pugi = -1;
#endif
    for (BENCH_CASE& c : cases)
        for (int i = 0; i < 3; ++i)
            if (c.file.compare(0, xml[i].size(), xml[i]) == 0 && c.file.size() <= xml[i].size() + 4)
                c.floor = dead[i];

    run_turns(cases, reps);

    // The report's memory: the peak above the dead parser's on the same file.
    auto report_memory = [&](const BENCH_CASE& c) {
        return c.floor >= 0 ? (c.peak() - cases[c.floor].peak()) / c.file_mb : 0.0;
    };
    std::printf("\n%d repetitions, medians; MB = 10^6 bytes of uncompressed XML; peak = peak resident memory of the"
                " process; report = (peak - dead parser's peak) / file\n\n",
                reps);
    std::printf("| case | s | MB/s | × dead | peak MB | report / file |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const BENCH_CASE& c : cases) {
        if (c.failed) {
            std::printf("| %s | failed | | | | |\n", c.label.c_str());
            continue;
        }
        double t = c.time();
        std::string ratio = c.floor >= 0 && cases[c.floor].time() > 0 ? format("%.2f", t / cases[c.floor].time()) : "";
        std::printf("| %s | %.3f | %.1f | %s | %.1f | %.2f |\n", c.label.c_str(), t, c.data_mb / t, ratio.c_str(),
                    c.peak(), report_memory(c));
    }

    // The goals, from the same medians.
    auto verdict = [](bool met) { return met ? "met" : "NOT met"; };
    std::printf("\nGoals:\n");
    for (int i = 1; i < 3; ++i) {
        double ratio = cases[full[i]].time() / cases[dead[i]].time();
        std::printf("- full parse / dead parser, %.0f MB: %.2f (goal <= 1.5): %s\n", mb[i], ratio,
                    verdict(ratio <= 1.5));
    }
    for (int i = 1; i < 3; ++i) {
        double memory = report_memory(cases[full[i]]);
        std::printf("- report memory / file, %.0f MB: %.2f (goal <= 1.0): %s\n", mb[i], memory,
                    verdict(memory <= 1.0));
    }
    for (int f = 0; f < 3; ++f) {
        double ratio = cases[packed[f]].time() / cases[full[2]].time();
        std::printf("- %s / plain full parse: %.3f (goal <= 1.05): %s\n", formats[f] + 1, ratio,
                    verdict(ratio <= 1.05));
    }
    double size_ratio = mb[2] / mb[0];
    double time_growth = cases[full[2]].time() / cases[full[0]].time() / size_ratio;
    double memory_growth = (cases[full[2]].peak() - cases[dead[2]].peak()) /
                           (cases[full[0]].peak() - cases[dead[0]].peak()) / size_ratio;
    std::printf("- %.0fx input: time x%.2f, report memory x%.2f of proportional (goal 0.9 .. 1.1): %s\n", size_ratio,
                time_growth, memory_growth,
                verdict(time_growth >= 0.9 && time_growth <= 1.1 && memory_growth >= 0.9 && memory_growth <= 1.1));
    double speedup = 2 * cases[full[2]].time() / cases[pair].time();
    std::printf("- two parses on two threads: %.2fx the throughput of one (goal >= 1.7): %s\n", speedup,
                verdict(speedup >= 1.7));
    for (int i = 1; i < 3; ++i)
        if (old_full[i] >= 0)
            std::printf("- before -> after, full parse %.0f MB: %.3f s -> %.3f s (x%.2f)\n", mb[i],
                        cases[old_full[i]].time(), cases[full[i]].time(),
                        cases[full[i]].time() / cases[old_full[i]].time());
    if (old_packed >= 0)
        std::printf("- before -> after, gz %.0f MB: %.3f s -> %.3f s\n", large_mb, cases[old_packed].time(),
                    cases[packed[0]].time());
    if (pugi >= 0 && !cases[pugi].failed)
        std::printf("- pugixml: %.2f x dead parser time, peak %.2f x file\n", cases[pugi].time() / cases[dead[2]].time(),
                    cases[pugi].peak() / large_mb);
    for (const BENCH_CASE& c : cases)
        if (c.failed)
            return 1;
    return 0;
}

// ------------------------------------------------------------ report mixes

// One mix of the generator's and its file.
struct BENCH_MIX_FILE {
    std::string name;
    bool matrix = false;       // in the matrix of report mixes
    bool single_kind = false;  // one kind of content
    std::string file;
    double mb = 0;
    int dead = -1;  // its cases
    int full = -1;
    int before = -1;  // the full parse of the runner given with --before
};

// The mixes the generator knows (`rdb_bench_gen --list`: a mix a line, its
// name and then its groups), so that a new mix needs no change here.
std::vector<BENCH_MIX_FILE> generator_mixes(const std::string& generator)
{
    std::vector<BENCH_MIX_FILE> mixes;
    std::string output;
    if (!spawn({generator, "--list"}, &output, nullptr))
        return mixes;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        BENCH_MIX_FILE mix;
        if (!(words >> mix.name))
            continue;
        std::string group;
        while (words >> group) {
            mix.matrix = mix.matrix || group == "matrix";
            mix.single_kind = mix.single_kind || group == "single";
        }
        mixes.push_back(mix);
    }
    return mixes;
}

// --mixes: the dead parser and the full parse, both with namespaces as the
// tool reads, on a file of every mix at the medium size; and the default
// mix read once and four times in one process.
int run_mixes(const BENCH_SETTINGS& settings)
{
    const std::string& dir = settings.dir;
    const int reps = settings.reps;
    const std::string& medium = settings.sizes[1];
    const std::string& seed = settings.seed;
    const std::string& before = settings.before;

    const std::string self = self_path();
    const std::string generator = generator_beside(self);
    ::mkdir(dir.c_str(), 0777);
    std::vector<BENCH_MIX_FILE> mixes = generator_mixes(generator);
    if (mixes.empty()) {
        std::fprintf(stderr, "rdb_bench: %s --list failed\n", generator.c_str());
        return 1;
    }

    std::vector<BENCH_CASE> cases;
    auto add = [&](const std::string& label, const std::string& mode, const std::string& file, double mb,
                   const std::string& count = std::string()) {
        return add_case(cases, self, label, mode, file, mb, count);
    };
    const BENCH_MIX_FILE* sequence = nullptr;
    for (BENCH_MIX_FILE& mix : mixes) {
        mix.file = dir + "/mix_" + mix.name + "_" + medium + "mb.xml";
        std::printf("generating %s, mix %s, seed %s\n", mix.file.c_str(), mix.name.c_str(), seed.c_str());
        std::fflush(stdout);
        if (!spawn({generator, "--mix", mix.name, mix.file, medium, seed}, nullptr, nullptr)) {
            std::fprintf(stderr, "rdb_bench: %s --mix %s failed\n", generator.c_str(), mix.name.c_str());
            return 1;
        }
        mix.mb = file_mb(mix.file);
        mix.dead = add(mix.name + ", dead parser", "dead-ns", mix.file, mix.mb);
        mix.full = add(mix.name + ", full parse", "full-ns", mix.file, mix.mb);
        cases[mix.full].floor = mix.dead;
        if (!before.empty()) {
            mix.before = add_case(cases, before, mix.name + ", full parse, before", "full-ns", mix.file, mix.mb);
            cases[mix.before].floor = mix.dead;
        }
        if (mix.name == "default")
            sequence = &mix;
    }
    int one_read = -1, four_reads = -1;
    if (sequence != nullptr) {
        one_read = add("1 read", "seq", sequence->file, sequence->mb, "1");
        four_reads = add("4 reads", "seq", sequence->file, 4 * sequence->mb, "4");
    }

    run_turns(cases, reps);

    auto memory_of = [&](const BENCH_MIX_FILE& mix, int full) {
        return (cases[full].peak() - cases[mix.dead].peak()) / mix.mb;
    };
    auto ratio_of = [&](const BENCH_MIX_FILE& mix, int full) { return cases[full].time() / cases[mix.dead].time(); };
    auto report_memory = [&](const BENCH_MIX_FILE& mix) { return memory_of(mix, mix.full); };
    auto ratio = [&](const BENCH_MIX_FILE& mix) { return ratio_of(mix, mix.full); };
    auto failed = [&](const BENCH_MIX_FILE& mix) {
        return cases[mix.dead].failed || cases[mix.full].failed || (mix.before >= 0 && cases[mix.before].failed);
    };
    std::printf("\n%d repetitions, medians; namespaces on in both parses; MB = 10^6 bytes; report = (peak - dead"
                " parser's peak) / file\n\n",
                reps);
    const bool compared = !before.empty();
    std::printf("| mix | file MB | dead s | full s | × dead | report / file |%s\n",
                compared ? " before: × dead | before: report / file |" : "");
    std::printf("|---|---:|---:|---:|---:|---:|%s\n", compared ? "---:|---:|" : "");
    for (const BENCH_MIX_FILE& mix : mixes) {
        if (failed(mix)) {
            std::printf("| %s | %.1f | failed | | | |%s\n", mix.name.c_str(), mix.mb, compared ? " | |" : "");
            continue;
        }
        std::printf("| %s | %.1f | %.3f | %.3f | %.2f | %.2f |", mix.name.c_str(), mix.mb, cases[mix.dead].time(),
                    cases[mix.full].time(), ratio(mix), report_memory(mix));
        if (compared)
            std::printf(" %.2f | %.2f |", ratio_of(mix, mix.before), memory_of(mix, mix.before));
        std::printf("\n");
    }

    auto verdict = [](bool met) { return met ? "met" : "NOT met"; };
    std::printf("\nGoals:\n");
    for (const BENCH_MIX_FILE& mix : mixes) {
        if (!mix.matrix || failed(mix))
            continue;
        std::printf("- full parse / dead parser, %s: %.2f (goal <= 1.35): %s\n", mix.name.c_str(), ratio(mix),
                    verdict(ratio(mix) <= 1.35));
    }
    for (const BENCH_MIX_FILE& mix : mixes) {
        if (!mix.matrix || failed(mix))
            continue;
        std::printf("- report memory / file, %s: %.2f (goal <= 1.0): %s\n", mix.name.c_str(), report_memory(mix),
                    verdict(report_memory(mix) <= 1.0));
    }
    for (const BENCH_MIX_FILE& mix : mixes) {
        if (!mix.single_kind || failed(mix))
            continue;
        std::printf("- report memory / file, single kind %s: %.2f (goal <= 1.3): %s\n", mix.name.c_str(),
                    report_memory(mix), verdict(report_memory(mix) <= 1.3));
    }
    if (one_read >= 0 && !cases[one_read].failed && !cases[four_reads].failed) {
        double growth = cases[four_reads].peak() / cases[one_read].peak();
        std::printf("- peak of 4 reads / peak of 1, %s: %.1f MB / %.1f MB = %.3f (goal <= 1.05): %s\n",
                    sequence->name.c_str(), cases[four_reads].peak(), cases[one_read].peak(), growth,
                    verdict(growth <= 1.05));
    }
    bool ok = sequence != nullptr;
    for (const BENCH_CASE& c : cases) {
        if (c.failed) {
            std::fprintf(stderr, "rdb_bench: %s failed\n", c.label.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--child") == 0)
        return run_case(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 1);
    BENCH_SETTINGS settings;
    if (!parse_settings(argc, argv, settings))
        return usage();
    return settings.mixes ? run_mixes(settings) : run_bench(settings);
}
