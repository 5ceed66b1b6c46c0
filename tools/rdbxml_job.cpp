#include "rdbxml_job.h"

#include <optional>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdbxml_csv.h"
#include "rdbxml_focus.h"
#include "rdbxml_html.h"
#include "rdbxml_parse.h"
#include "rdbxml_select.h"
#include "rdbxml_text.h"

namespace {

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

// The tool's own failure to do what was asked with a file: said even with
// -q, which silences what the files say, never that an output was lost.
std::string tool_failure(const std::string& error) { return rdbxml_tool_message("rdbxml", error); }

}  // namespace

RDBXML_JOB_RESULT rdbxml_run_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                 const RDB_XML_PROGRESS& progress)
{
    const RDBXML_OPTIONS& opt = *settings.options;
    const RDBXML_INPUT_FILE& input = job.input;
    RDBXML_JOB_RESULT result;

    RDBXML_PARSED parsed = rdbxml_parse_input(input, settings, progress);
    std::unique_ptr<RDB_REPORT> report = std::move(parsed.report);
    result.err = std::move(parsed.err);
    result.warnings = parsed.warnings;
    result.ok = report != nullptr;

    // What --select keeps (or, for --csv, every table), with the paths of
    // the whole report; the report is narrowed to it.
    std::vector<RDB_PATH_MATCH> selected;
    RDB_FOLDER_OBJECT* main_folder = report ? report->get_main_folder() : nullptr;
    if (report)
        result.select_matches.assign(opt.select.size(), 0);
    std::optional<RDB_PATH_SELECTION> selection;
    if (main_folder != nullptr && (!opt.select.empty() || !opt.csv.empty())) {
        std::vector<RDB_PATH_PATTERN> patterns(opt.select.begin(), opt.select.end());
        if (patterns.empty())
            patterns.emplace_back("**");
        selection.emplace(*main_folder, patterns);
        result.err += rdbxml_select_matches(*selection, opt.select, input.name, settings.verbosity == RDBXML_QUIET,
                                            result.select_matches);
    }
    // The rows of the selected tables, before the tree is narrowed, so that
    // an error names a table by its path in the whole report.
    if (main_folder != nullptr && rdbxml_focus_asked(opt) &&
        !rdbxml_focus(*main_folder, opt, selection ? &*selection : nullptr, input.name, result)) {
        selection.reset();
        report.reset();
        main_folder = nullptr;
    }
    if (selection) {
        // Only the tables' paths: what the CSV writer writes (a path held
        // for every folder of a deep chain would be the sum of their depths).
        if (!opt.csv.empty())
            selection->walk_kept([&](const std::string& path, const RDB_OBJECT& object) {
                if (dynamic_cast<const RDB_TABLE_OBJECT*>(&object) != nullptr)
                    selected.push_back(RDB_PATH_MATCH{path, &object});
            });
        else
            rdb_prune_report(*report, *selection);
    }

    if (!opt.csv.empty()) {
        if (report) {
            RDBXML_CSV_RESULT csv = rdbxml_write_csv_tables(selected, input.name, job.csv, job.csv_directory);
            result.out = std::move(csv.out);
            result.usage = csv.usage;
            if (!csv.error.empty()) {
                result.ok = false;
                result.err += tool_failure(csv.error);
            }
        }
    } else if (!opt.html.empty()) {
        std::string error;
        if (report && !RDBXML_HTML_PAGES::write(job.page, input.name, *report, result.out, error)) {
            result.ok = false;
            result.err += tool_failure(error);
        } else if (report && job.page != opt.html && settings.verbosity != RDBXML_QUIET) {
            // A page whose name the tool chose, in a directory of pages.
            result.err += rdbxml_file_message(input.name, "note", "page written to " + job.page);
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
