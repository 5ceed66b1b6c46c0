// rdbxml: reads report description files and shows what they hold.
//
// Each file on the command line is parsed on its own and its report (or
// its failure) printed; one failing file does not stop the others. Reports
// go to stdout (or, with --html, to page files); the parser's messages, the
// progress line and the tool's own errors to stderr.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "fio_path.h"
#include "gen_util.h"
#include "hdb_instance.h"
#include "msg.h"
#include "rdb_json_writer.h"
#include "rdb_report.h"
#include "rdb_text_writer.h"
#include "rdb_xml.h"
#include "rdbxml_html.h"
#include "rdbxml_options.h"
#include "rdbxml_progress.h"

namespace {

// The bundled example report: where it is installed, relative to the
// tool's own directory, or else in the source tree the tool was built from.
std::string default_example()
{
    FIO_PATH installed(gen_get_module_path());
    installed.filename(RDBXML_INSTALLED_EXAMPLES "/report.xml");
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(installed.fullpath(), nullptr), &std::free);
    if (resolved)
        return resolved.get();
    return RDBXML_SOURCE_EXAMPLES_DIR "/report.xml";
}

// One line: {"file": <path as given>, "report": <report or null>}.
void print_json(const std::string& file, const RDB_REPORT* report)
{
    rapidjson::StringBuffer name;
    rapidjson::Writer<rapidjson::StringBuffer> writer(name);
    writer.String(file.c_str(), static_cast<rapidjson::SizeType>(file.size()));
    std::cout << "{\"file\":" << name.GetString() << ",\"report\":";
    rdb_write_json(report, std::cout);
    std::cout << "}\n";
}

// Why `file` cannot be read, or empty when it can. The parser sees only an
// empty document in a file it cannot open and says no more than that.
std::string unreadable_reason(const std::string& file)
{
    struct stat status;
    if (stat(file.c_str(), &status) != 0)
        return std::strerror(errno);
    if (S_ISDIR(status.st_mode))
        return std::strerror(EISDIR);
    if (access(file.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return std::string();
}

}  // namespace

namespace {

int run(int argc, char** argv, RDBXML_OPTIONS& opt, std::string& current)
{
    int status = rdbxml_read_options(argc, argv, opt);
    if (status >= 0)
        return status;

    if (opt.quiet)
        msg_set_enabled(false);

    std::unique_ptr<HDB_HIERARCHY> hierarchy;
    if (!opt.hierarchy.empty()) {
        STL_STRING error;
        hierarchy = HDB_HIERARCHY::load(opt.hierarchy.c_str(), &error);
        if (!hierarchy) {
            std::cerr << "rdbxml: " << error.c_str() << "\n";
            return RDBXML_EXIT_USAGE;
        }
    }
    if (opt.files.empty())
        opt.files.push_back(default_example());

    RDBXML_HTML_PAGES pages(opt.html, opt.files.size() > 1);
    std::string error;
    if (!opt.html.empty() && !pages.prepare(error)) {
        std::cerr << "rdbxml: " << error << "\n";
        return RDBXML_EXIT_USAGE;
    }

    RDBXML_PROGRESS_LINE progress(isatty(STDERR_FILENO) == 1);
    status = RDBXML_EXIT_ALL_READ;
    for (const std::string& file : opt.files) {
        current = file;
        progress.begin(file);
        std::unique_ptr<RDB_REPORT> report(
            rdb_xml_parse(file.c_str(), hierarchy ? hierarchy->action_point() : nullptr, opt.stream_flag,
                          opt.schema, !opt.no_namespaces, !opt.dynamic_buffers, opt.dead_parser));
        progress.end();
        if (!report) {
            status = RDBXML_EXIT_SOME_FAILED;
            std::string reason = unreadable_reason(file);
            if (!reason.empty())
                std::cerr << "rdbxml: cannot read " << file << ": " << reason << "\n";
        }
        if (!opt.html.empty()) {
            if (report && !pages.write(file, *report, error)) {
                std::cerr << "rdbxml: " << error << "\n";
                status = RDBXML_EXIT_SOME_FAILED;
            }
        } else if (opt.json) {
            print_json(file, report.get());
        } else if (!opt.noout && report) {
            rdb_write_text(report.get(), std::cout);
        }
        std::cout.flush();
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    RDBXML_OPTIONS opt;
    // The file being read or written when memory ran out, for the message.
    std::string current;
    try {
        return run(argc, argv, opt, current);
    } catch (const std::bad_alloc&) {
        // Whatever was printed for that file is not the whole of it.
        std::cout.flush();
        std::fprintf(stderr, "rdbxml: out of memory%s%s\n", current.empty() ? "" : " while handling ",
                     current.c_str());
        return RDBXML_EXIT_SOME_FAILED;
    }
}
