// Where --html and --csv (and diff's --html) write: a regular file is
// replaced whole, anything else there (a device, a FIFO) is written to as
// it stands, as `cat > OUT` would, and stays what it was; "-" is standard
// output.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "tool_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string TABLES = RDBXML_TEST_DATA_DIR "/csv_tables.xml";

// Everything written into the FIFO at `path` while `run` runs, read as it
// comes. A writer of the test's own keeps the reading going until `run` is
// over, whether or not the tool ever opens the FIFO.
std::string drained(const std::string& path, const std::function<void()>& run)
{
    int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_TRUE(reader >= 0 && writer >= 0) << path;
    fcntl(reader, F_SETFL, 0);
    std::string bytes;
    std::thread drain([&] {
        char buffer[1 << 16];
        for (ssize_t n; (n = read(reader, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<std::size_t>(n));
    });
    run();
    close(writer);
    drain.join();
    close(reader);
    return bytes;
}

// The kind of file at `path`, and for a device its numbers.
std::string kind_of(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return "none";
    if (S_ISCHR(status.st_mode))
        return "device " + std::to_string(status.st_rdev);
    return S_ISFIFO(status.st_mode) ? "fifo" : S_ISREG(status.st_mode) ? "file" : "other";
}

bool is_link(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

}  // namespace

TEST(ToolTargets, AFifoIsWrittenThroughToItsReader)
{
    TOOL_SCRATCH scratch;
    const std::string fifo = scratch.dir() + "/fifo", file = scratch.dir() + "/file";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string report = tool_example_report();
    const std::vector<std::vector<std::string>> writes = {
        {"--html", "OUT", report},
        {"--csv", "OUT", "--select", "**/Fmax", TABLES},
        {"diff", "--html", "OUT", report, TABLES},
    };
    for (std::vector<std::string> args : writes) {
        std::vector<std::string> to_file = args;
        for (std::size_t i = 0; i < args.size(); ++i)
            if (args[i] == "OUT")
                args[i] = fifo, to_file[i] = file;
        const int status = args[0] == "diff" ? 1 : 0;
        ASSERT_EQ(tool_run(to_file).status, status) << args[0] << args[1];
        TOOL_RUN run;
        std::string read = drained(fifo, [&] { run = tool_run(args); });
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(tool_without_nonce(read) == tool_without_nonce(test_read_file(file))) << args[0] << args[1] << read.size();
        EXPECT_EQ(kind_of(fifo), "fifo");
    }

    // One of the tables of a directory.
    const std::string tables = scratch.dir() + "/tables/";
    ASSERT_EQ(tool_run({"--csv", scratch.dir() + "/files/", TABLES}).status, 0);
    fs::create_directories(tables + "main");
    ASSERT_EQ(mkfifo((tables + "main/Paths.csv").c_str(), 0600), 0);
    TOOL_RUN run;
    std::string read = drained(tables + "main/Paths.csv", [&] { run = tool_run({"--csv", tables, TABLES}); });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read, test_read_file(scratch.dir() + "/files/main/Paths.csv"));
    EXPECT_EQ(kind_of(tables + "main/Paths.csv"), "fifo");
    EXPECT_EQ(test_read_file(tables + "main/numbers.csv"), test_read_file(scratch.dir() + "/files/main/numbers.csv"));
}

TEST(ToolTargets, ADeviceIsWrittenThroughAndStaysADevice)
{
    TOOL_SCRATCH scratch;
    const std::string null = scratch.dir() + "/null", full = scratch.dir() + "/full";
    const std::string tables = scratch.dir() + "/tables/", table = tables + "main/Paths.csv";
    fs::create_directories(tables + "main");
    for (const auto& [node, like] : {std::pair(null, "/dev/null"), std::pair(full, "/dev/full"),
                                     std::pair(table, "/dev/full")}) {
        std::string why = tool_make_device(node, like);
        if (!why.empty())
            GTEST_SKIP() << why;
    }
    const std::string null_kind = kind_of(null), full_kind = kind_of(full);

    // What goes to a null device is gone, and it stays a device.
    EXPECT_EQ(tool_run({"--html", null, tool_example_report()}).status, 0);
    EXPECT_EQ(tool_run({"--csv", null, "--select", "**/Fmax", TABLES}).status, 0);
    EXPECT_EQ(tool_run({"diff", "--html", null, TABLES, TABLES}).status, 0);
    EXPECT_EQ(kind_of(null), null_kind);

    // A full one fails the write, which is said, with -q too.
    const std::vector<std::vector<std::string>> writes = {
        {"--html", full, tool_example_report()},
        {"-q", "--html", full, tool_example_report()},
        {"--csv", full, "--select", "**/Fmax", TABLES},
        {"-q", "--csv", full, "--select", "**/Fmax", TABLES},
    };
    for (const std::vector<std::string>& args : writes) {
        TOOL_RUN run = tool_run(args);
        EXPECT_EQ(run.status, 1) << args[1];
        EXPECT_EQ(run.err, "rdbxml: cannot write " + full + ": No space left on device\n");
        EXPECT_EQ(kind_of(full), full_kind);
    }
    TOOL_RUN diff = tool_run({"diff", "-q", "--html", full, tool_example_report(), TABLES});
    EXPECT_EQ(diff.status, 2);
    EXPECT_EQ(diff.err, "rdbxml: cannot write " + full + ": No space left on device\n");
    // So does one table of a directory; the table file is still the device.
    TOOL_RUN run = tool_run({"--csv", tables, TABLES});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "rdbxml: cannot write " + table + ": No space left on device\n");
    EXPECT_EQ(kind_of(table), full_kind);
}

TEST(ToolTargets, DashIsStandardOutputForOneFile)
{
    TOOL_SCRATCH scratch;
    const std::string page = scratch.dir() + "/page.html", report = tool_example_report();
    ASSERT_EQ(tool_run({"--html", page, report}).status, 0);
    TOOL_RUN run = tool_shell("cd " + tool_shell_quoted(scratch.dir()) + " && \"$RDBXML\" --html - " +
                              tool_shell_quoted(report));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(tool_without_nonce(run.out) == tool_without_nonce(test_read_file(page))) << run.out.size();
    EXPECT_EQ(kind_of(scratch.dir() + "/-"), "none");
    // Several pages cannot share it.
    run = tool_run({"--html", "-", report, report});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "rdbxml: --html - writes one page, and there are 2 files: give one FILE, or a directory "
                       "(--html OUT/)\n");
    // The page of the changes as well.
    ASSERT_EQ(tool_run({"diff", "--html", page, report, TABLES}).status, 1);
    run = tool_shell("cd " + tool_shell_quoted(scratch.dir()) + " && \"$RDBXML\" diff --html - " +
                     tool_shell_quoted(report) + " " + tool_shell_quoted(TABLES));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(tool_without_nonce(run.out) == tool_without_nonce(test_read_file(page))) << run.out.size();
    EXPECT_EQ(kind_of(scratch.dir() + "/-"), "none");
}

TEST(ToolTargets, ALinkToAFileStaysALinkAndTheFileIsReplaced)
{
    TOOL_SCRATCH scratch;
    const std::string page = scratch.write("pages/page.html", "earlier"), link = scratch.dir() + "/link.html";
    const std::string table = scratch.write("tables/t.csv", "earlier"), table_link = scratch.dir() + "/t.csv";
    ASSERT_EQ(symlink("pages/page.html", link.c_str()), 0);
    ASSERT_EQ(symlink("tables/t.csv", table_link.c_str()), 0);
    ASSERT_EQ(tool_run({"--html", scratch.dir() + "/expected.html", tool_example_report()}).status, 0);
    TOOL_RUN run = tool_run({"--html", link, tool_example_report()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(is_link(link));
    EXPECT_TRUE(tool_without_nonce(test_read_file(page)) == tool_without_nonce(test_read_file(scratch.dir() + "/expected.html")));
    run = tool_run({"--csv", table_link, "--select", "**/Fmax", TABLES});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(is_link(table_link));
    EXPECT_EQ(test_read_file(table), tool_run({"--csv", "-", "--select", "**/Fmax", TABLES}).out);
}
