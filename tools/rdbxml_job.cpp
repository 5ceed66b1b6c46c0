#include "rdbxml_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdbxml_csv.h"
#include "rdbxml_html.h"
#include "rdbxml_text.h"

namespace {

// What standard input is called in messages, as compilers call it.
const char* const STDIN_NAME = "<stdin>";

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

// One line in the compiler's form: "FILE:LINE:COL: error: MESSAGE", the
// place left out where it is not known.
std::string diagnostic_line(const RDB_XML_DIAGNOSTIC& d)
{
    std::string line = d.m_file;
    if (d.m_line != 0)
        line += ":" + std::to_string(d.m_line) + ":" + std::to_string(d.m_column);
    line += d.m_severity == RDB_XML_DIAGNOSTIC::WARNING ? ": warning: " : ": error: ";
    return line + d.m_message + "\n";
}

// {"file": <name as given>, "report": <report or null>}, one line.
std::string json_line(const std::string& file, const RDB_REPORT* report)
{
    RDBXML_TEXT line;
    line << "{\"file\":";
    rdb_write_json_string(file.data(), file.size(), line);
    line << ",\"report\":";
    rdb_write_json(report, line);
    line << "}\n";
    return line.take();
}

}  // namespace

RDBXML_JOB_RESULT rdbxml_run_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                 const RDB_XML_PROGRESS& progress)
{
    const RDBXML_OPTIONS& opt = *settings.options;
    const RDBXML_INPUT_FILE& input = job.input;
    RDBXML_JOB_RESULT result;

    std::string unreadable = input.from_stdin ? std::string() : unreadable_reason(input.name);
    std::unique_ptr<RDB_REPORT> report;
    if (unreadable.empty()) {
        RDB_XML_OPTIONS options;
        options.m_action_point = settings.action_point;
        options.m_stream_flag = opt.stream_flag;
        options.m_use_schema = opt.schema;
        options.m_use_namespaces = !opt.no_namespaces;
        options.m_use_static_buffers = !opt.dynamic_buffers;
        options.m_dead_parser = opt.dead_parser;
        options.m_progress = progress;
        // The parser's lines, kept for the verbose and dropped otherwise.
        options.m_message_sink = [&result, &settings](const char* tag, const char* text) {
            if (settings.verbosity == RDBXML_VERBOSE)
                result.err += std::string(tag) + ": " + text + "\n";
        };
        RDB_XML_INPUT source = input.from_stdin ? RDB_XML_INPUT::memory(settings.stdin_bytes->data(),
                                                                        settings.stdin_bytes->size(), STDIN_NAME)
                                                : RDB_XML_INPUT::file(input.name);
        RDB_XML_RESULT parsed = rdb_xml_parse_input(source, options);
        report = std::move(parsed.m_report);
        if (settings.verbosity != RDBXML_QUIET) {
            for (const RDB_XML_DIAGNOSTIC& d : parsed.m_diagnostics)
                result.err += diagnostic_line(d);
            // So short of memory that not even the reason could be kept.
            if (!report && parsed.m_diagnostics.empty())
                result.err += input.name + (parsed.m_out_of_memory ? ": error: out of memory\n" : ": error: no report\n");
        }
    } else if (settings.verbosity != RDBXML_QUIET) {
        result.err += input.name + ": error: cannot read: " + unreadable + "\n";
    }
    result.ok = report != nullptr;

    // What --select keeps (or, for --csv, every table), with the paths of
    // the whole report; the report is narrowed to it.
    std::vector<RDB_PATH_MATCH> selected;
    RDB_FOLDER_OBJECT* main_folder = report ? report->get_main_folder() : nullptr;
    if (main_folder != nullptr && (!opt.select.empty() || !opt.csv.empty())) {
        std::vector<RDB_PATH_PATTERN> patterns(opt.select.begin(), opt.select.end());
        if (patterns.empty())
            patterns.emplace_back("**");
        RDB_PATH_SELECTION selection(*main_folder, patterns);
        for (std::size_t p = 0; p < opt.select.size(); ++p)
            if (selection.get_match_counts()[p] == 0 && settings.verbosity != RDBXML_QUIET)
                result.err += input.name + ": warning: --select " + opt.select[p] + " matches no object\n";
        if (!opt.csv.empty())
            selected = selection.get_kept();
        else
            rdb_prune_report(*report, selection);
    }

    if (!opt.csv.empty()) {
        if (report) {
            RDBXML_CSV_RESULT csv = rdbxml_write_csv_tables(selected, input.name, job.csv, job.csv_directory);
            result.out = std::move(csv.out);
            result.usage = csv.usage;
            if (!csv.error.empty()) {
                result.ok = false;
                if (settings.verbosity != RDBXML_QUIET)
                    result.err += "rdbxml: " + csv.error + "\n";
            }
        }
    } else if (!opt.html.empty()) {
        std::string error;
        if (report && !RDBXML_HTML_PAGES::write(job.page, input.name, *report, error)) {
            result.ok = false;
            if (settings.verbosity != RDBXML_QUIET)
                result.err += "rdbxml: " + error + "\n";
        }
    } else if (opt.json) {
        result.out = json_line(input.name, report.get());
    } else if (!opt.noout && report) {
        RDBXML_TEXT text;
        rdb_write_text(report.get(), text,
                       settings.verbosity == RDBXML_VERBOSE ? RDB_TEXT_WITH_SETTINGS : RDB_TEXT_FOR_PEOPLE);
        result.out = text.take();
    }
    return result;
}
