// Fuzz target: one whole parse of the input as a report file, read from a
// file through the parser's own input stream (so compressed inputs are
// decompressed as in real use), then rules asked of the report, its tables
// filtered, sorted and cut (as `rdbxml check` and --where, --sort, --top
// do), and the report written as JSON and as an HTML page.
//
// The input's bytes also choose the parse options, so that every
// combination is explored. Oracles besides the sanitizers: the JSON of a
// report is always well-formed UTF-8 JSON, its page holds no script but the
// writer's own, and the static-buffers option
// changes nothing of what is read (the input is parsed a second time with
// the option flipped, and both reports must give the same JSON). No
// allocation is made to fail here, so a parse that says memory ran out
// has refused a file for a reason it does not name.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/msg.h>
#include <rdbxml/rdb_focus.h>
#include <rdbxml/rdb_html_writer.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_xml.h>
#include "fuzz_file.h"

namespace {

FUZZ_FILE* report_file = nullptr;
HDB_ACTION_PT_INSTANCE* action_point = nullptr;

// Every script element of a page is the writer's: its one script, or a
// data block of a long table.
bool page_scripts_are_own(const std::string& page)
{
    static const std::string data_block = "<script type=\"application/json\" id=\"o";
    std::size_t own = 0;
    for (std::size_t at = page.find("<script"); at != std::string::npos; at = page.find("<script", at + 1))
        if (page.compare(at, data_block.size(), data_block) != 0)
            ++own;
    return own == 1;
}

// What a CI job asks of a report, and what a reader narrows it to, on
// whatever the input made of its columns and gauges (the names are those of
// the seed reports). Both parses of an input get the same, so their JSON
// must still agree.
void ask_and_focus(RDB_REPORT* report)
{
    RDB_FOLDER_OBJECT* top = report != nullptr ? report->get_main_folder() : nullptr;
    if (top == nullptr)
        return;
    static const RDB_RULE RULES[] = {
        RDB_RULE("** : Slack < 0ps"), RDB_RULE("** : Fmax [Clock = clk_core] < 400MHz"),
        RDB_RULE("** : Logic elements > 90%"), RDB_RULE("** : Levels >= 1,000"), RDB_RULE("** : From != x"),
    };
    for (const RDB_RULE& rule : RULES)
        rdb_check_rule(*top, rule, 3);
    static const RDB_CONDITION WHERE("Slack < 1ns");
    RDB_FOCUS focus;
    focus.m_where = &WHERE;
    focus.m_sort = "From";
    focus.m_descending = true;
    focus.m_top = 5;
    rdb_focus_tables(*top, focus);
}

// The JSON of a parse's report ("null" for none), checked to be valid; the
// report is released.
std::string json_of(RDB_REPORT* report)
{
    ask_and_focus(report);
    std::ostringstream page;
    rdb_write_html(report, page, "fuzz");
    if (!page_scripts_are_own(page.str())) {
        std::fprintf(stderr, "the report's page holds a script that is not the writer's\n");
        std::abort();
    }
    std::ostringstream out;
    rdb_write_json(report, out);
    delete report;
    std::string json = out.str();
    rapidjson::Document document;
    document.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
    if (document.HasParseError()) {
        std::fprintf(stderr, "the report's JSON is not valid: %s at %zu\n",
                     rapidjson::GetParseError_En(document.GetParseError()), document.GetErrorOffset());
        std::abort();
    }
    return json;
}

bool says_out_of_memory(const RDB_XML_RESULT& result)
{
    if (result.m_out_of_memory)
        return true;
    for (const RDB_XML_DIAGNOSTIC& diagnostic : result.m_diagnostics)
        // The reader's own words only: a message may quote the file, and a
        // file may hold these words anywhere.
        if (diagnostic.m_message.rfind("Out of memory while reading ", 0) == 0 ||
            diagnostic.m_message == "Xerces Exception: (no memory left for its text)")
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    msg_set_enabled(false);
    static FUZZ_FILE file(".xml");
    report_file = &file;

    // The instances that instance-name cells of the seed reports name.
    static const char HIERARCHY[] = "top/cpu/alu/acc_reg\ntop/cpu/regfile/r0\ntop/mem/ctrl/state_reg\ntop/mem/pll\n"
                                    "top/cpu/pll\n";
    FUZZ_FILE hierarchy_file(".txt");
    hierarchy_file.write(reinterpret_cast<const std::uint8_t*>(HIERARCHY), sizeof(HIERARCHY) - 1);
    static std::unique_ptr<HDB_HIERARCHY> hierarchy = HDB_HIERARCHY::load(hierarchy_file.path(), nullptr);
    if (hierarchy != nullptr)
        action_point = hierarchy->action_point();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!report_file->write(data, size))
        return 0;
    unsigned sum = static_cast<unsigned>(size);
    for (std::size_t i = 0; i < size; ++i)
        sum += data[i];
    RDB_XML_OPTIONS options;
    options.m_action_point = action_point;
    options.m_use_schema = (sum & 1) != 0;
    options.m_use_namespaces = (sum & 2) != 0;
    options.m_use_static_buffers = (sum & 4) == 0;
    options.m_dead_parser = (sum & 0x38) == 0;
    options.m_stream_flag = (sum & 0x40) != 0;
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(report_file->path()), options);
    if (says_out_of_memory(result)) {
        std::fprintf(stderr, "the parse said that memory ran out, and none was refused\n");
        std::abort();
    }
    std::string first = json_of(result.m_report.release());
    std::string second = json_of(rdb_xml_parse(report_file->path(), action_point, options.m_stream_flag,
                                                options.m_use_schema, options.m_use_namespaces,
                                                !options.m_use_static_buffers, options.m_dead_parser));
    if (first != second) {
        std::fprintf(stderr, "the static-buffers option changed the report:\n%.2000s\n%.2000s\n", first.c_str(),
                     second.c_str());
        std::abort();
    }
    return 0;
}
