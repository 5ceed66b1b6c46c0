// rdbxml: reads report description files and shows what they hold.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
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

namespace {

enum { EXIT_ALL_READ = 0, EXIT_SOME_FAILED = 1, EXIT_USAGE = 2 };

struct OPTIONS {
    std::vector<std::string> files;
    bool json = false;
    bool text = false;
    bool noout = false;
    bool schema = false;
    bool no_namespaces = false;
    bool dynamic_buffers = false;
    bool dead_parser = false;
    bool stream_flag = false;
    bool quiet = false;
    std::string hierarchy;
};

// The bundled example report: installed beside the tool's share directory,
// or in the source tree this tool was built from.
std::string default_example()
{
    FIO_PATH installed(gen_get_module_path());
    installed.filename("../share/rdbxml/examples/report.xml");
    std::ifstream probe(installed.fullpath());
    if (probe)
        return installed.fullpath();
    return RDBXML_SOURCE_EXAMPLES_DIR "/report.xml";
}

void print_json(const std::string& file, const RDB_REPORT* report)
{
    rapidjson::StringBuffer name;
    rapidjson::Writer<rapidjson::StringBuffer> writer(name);
    writer.String(file.c_str(), static_cast<rapidjson::SizeType>(file.size()));
    std::cout << "{\"file\":" << name.GetString() << ",\"report\":";
    rdb_write_json(report, std::cout);
    std::cout << "}\n";
}

}  // namespace

int main(int argc, char** argv)
{
    OPTIONS opt;
    CLI::App app{"rdbxml: read report description files (XML, plain or compressed) and show the report.\n"
                 "With no FILE, reads the bundled example report."};
    app.add_option("FILE", opt.files, "report files to read");
    auto* json = app.add_flag("--json", opt.json, "print one JSON line per file: {\"file\": ..., \"report\": ...}");
    auto* text = app.add_flag("--text", opt.text, "print the report as an indented tree (the default)");
    auto* noout = app.add_flag("--noout", opt.noout, "print no report: only messages and the exit status");
    json->excludes(text)->excludes(noout);
    text->excludes(noout);
    app.add_flag("--schema", opt.schema, "validate against rdb_schema.xsd (turns namespaces on)");
    app.add_flag("--no-namespaces", opt.no_namespaces, "switch namespace processing off");
    app.add_flag("--dynamic-buffers", opt.dynamic_buffers, "transcode attribute values on the heap");
    app.add_flag("--dead-parser", opt.dead_parser, "read and check the file, build no report content");
    app.add_flag("--stream-flag", opt.stream_flag, "set the input stream flag");
    app.add_option("--hierarchy", opt.hierarchy, "instance hierarchy file that instance names resolve against")
        ->check(CLI::ExistingFile);
    app.add_flag("-q,--quiet", opt.quiet, "silence the RDB_XML messages");
    app.set_version_flag("--version", std::string("rdbxml ") + RDBXML_VERSION);
    app.footer("Exit status: 0 when every file gave a report, 1 when any gave none, 2 on a usage error.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "rdbxml: " << e.what() << " (see --help)\n";
        return EXIT_USAGE;
    }

    if (opt.quiet)
        msg_set_enabled(false);

    std::unique_ptr<HDB_HIERARCHY> hierarchy;
    if (!opt.hierarchy.empty()) {
        STL_STRING error;
        hierarchy = HDB_HIERARCHY::load(opt.hierarchy.c_str(), &error);
        if (!hierarchy) {
            std::cerr << "rdbxml: " << error.c_str() << "\n";
            return EXIT_USAGE;
        }
    }
    if (opt.files.empty())
        opt.files.push_back(default_example());

    int status = EXIT_ALL_READ;
    for (const std::string& file : opt.files) {
        RDB_REPORT* report = rdb_xml_parse(file.c_str(), hierarchy ? hierarchy->action_point() : nullptr,
                                           opt.stream_flag, opt.schema, !opt.no_namespaces,
                                           !opt.dynamic_buffers, opt.dead_parser);
        if (report == nullptr)
            status = EXIT_SOME_FAILED;
        if (opt.json)
            print_json(file, report);
        else if (!opt.noout && report != nullptr)
            rdb_write_text(report, std::cout);
        std::cout.flush();
        delete report;
    }
    return status;
}
