// Fuzz target: one whole parse of the input as a report file, read from a
// file through the parser's own input stream (so compressed inputs are
// decompressed as in real use), then rules asked of the report, its tables
// filtered, sorted and cut (as `rdbxml check` and --where, --sort, --top
// do), its figures taken as an index keeps them, the report compared with itself before and after (as `rdbxml diff`
// does), and written as JSON and as an HTML page.
//
// The input's bytes also choose the parse options, so that every
// combination is explored. Oracles besides the sanitizers: the JSON of a
// report is always well-formed UTF-8 JSON, its page holds no script but the
// writer's own, and the static-buffers option
// changes nothing of what is read (the input is parsed a second time with
// the option flipped: the comparison of both reports finds no change, not
// even of style, and both give the same JSON). No
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
#include <rdbxml/rdb_diff.h>
#include <rdbxml/rdb_focus.h>
#include <rdbxml/rdb_html_writer.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_metrics.h>
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
    static const std::string data_block = "<script type=\"application/json\" id=\"";
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

// The figures an index keeps of a report, cells and all: a summary of their
// counts, which both parses of an input must agree on.
std::string metrics_of(const RDB_REPORT* report)
{
    const RDB_FOLDER_OBJECT* top = report != nullptr ? report->get_main_folder() : nullptr;
    if (top == nullptr)
        return "none";
    RDB_METRICS m = rdb_report_metrics(*top, true);
    std::ostringstream counts;
    counts << m.m_objects.size() << ' ' << m.m_gauges.size() << ' ' << m.m_summary_rows.size() << ' '
           << m.m_points.size() << ' ' << m.m_headings.size() << ' ' << m.m_columns.size() << ' '
           << m.m_table_rows.size() << ' ' << m.m_cells.size() << ' ' << m.m_unlisted;
    return counts.str();
}

// The changes from `old_report` to `new_report` (either may be null), with
// the styles and a key that the seed reports' slack tables have; aborts
// when the two should be the same and are not, or when the counts do not
// add up.
void compare(const RDB_REPORT* old_report, const RDB_REPORT* new_report, bool same)
{
    static RDB_DIFF_OPTIONS options = [] {
        RDB_DIFF_OPTIONS o;
        o.m_styles = true;
        o.m_alignment_cap = 64;  // reached by small inputs too
        RDB_DIFF_KEY key;
        std::string error;
        if (rdb_diff_read_key("**/*slack* : From, To", key, error))
            o.m_keys.push_back(key);
        return o;
    }();
    RDB_DIFF_TOTALS totals;
    std::size_t listed = rdb_diff_reports(
        old_report != nullptr ? old_report->get_main_folder() : nullptr,
        new_report != nullptr ? new_report->get_main_folder() : nullptr, options, [](const RDB_DIFF_CHANGE&) {},
        totals);
    std::size_t found = 0;
    for (std::size_t count : totals.m_by_kind)
        found += count;
    if (found != listed + totals.m_style_only || (same && found != 0)) {
        std::fprintf(stderr, "the comparison found %zu changes and listed %zu (%zu of style)%s\n", found, listed,
                     totals.m_style_only, same ? " of two reports of one input" : "");
        std::abort();
    }
}

// The JSON of a parse's report ("null" for none), checked to be valid; the
// report is released.
std::string json_of(RDB_REPORT* report)
{
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
    RDB_REPORT* first_report = result.m_report.release();
    RDB_REPORT* second_report =
        rdb_xml_parse(report_file->path(), action_point, options.m_stream_flag, options.m_use_schema,
                      options.m_use_namespaces, !options.m_use_static_buffers, options.m_dead_parser);
    compare(first_report, second_report, true);
    if (metrics_of(first_report) != metrics_of(second_report)) {
        std::fprintf(stderr, "the static-buffers option changed the report's figures\n");
        std::abort();
    }
    // The second narrowed and the first not: rows gone and moved.
    ask_and_focus(second_report);
    compare(first_report, second_report, false);
    ask_and_focus(first_report);
    std::string first = json_of(first_report);
    std::string second = json_of(second_report);
    if (first != second) {
        std::fprintf(stderr, "the static-buffers option changed the report:\n%.2000s\n%.2000s\n", first.c_str(),
                     second.c_str());
        std::abort();
    }
    return 0;
}
