#include "rdbxml_parse.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <rdbxml/rdb_text_writer.h>

namespace {

// What standard input is called in messages, as compilers call it.
const char* const STDIN_NAME = "<stdin>";

// Why `file` cannot be read, or empty when it can. Asked before the parse,
// so that a file never opened has no parser lines (those of an empty
// document) with -v; should the file go between this and the parse, the
// library's diagnostic gives the same line.
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

std::string rdbxml_file_message(const std::string& file, const char* severity, const std::string& text)
{
    return rdb_text_escaped(file) + ": " + severity + ": " + rdb_text_escaped(text) + "\n";
}

std::string rdbxml_tool_message(const char* tool, const std::string& text)
{
    return std::string(tool) + ": " + rdb_text_escaped(text) + "\n";
}

RDBXML_PARSED rdbxml_parse_input(const RDBXML_INPUT_FILE& input, const RDBXML_JOB_SETTINGS& settings,
                                 const RDB_XML_PROGRESS& progress)
{
    const RDBXML_OPTIONS& opt = *settings.options;
    RDBXML_PARSED result;
    // Why the file gave no report, said unless quiet.
    auto refused = [&result, &settings](std::string said) {
        if (settings.verbosity != RDBXML_QUIET)
            result.err += said;
        result.failure = std::move(said);
    };
    if (input.empty_directory) {
        refused(rdbxml_file_message(input.name, "error",
                                    "no report file below this directory (*.xml, *.xml.gz, *.xml.zst, *.xml.xz)"));
        return result;
    }
    std::string unreadable = input.from_stdin ? std::string() : unreadable_reason(input.name);
    if (!unreadable.empty()) {
        refused(rdbxml_file_message(input.name, "error", "cannot read: " + unreadable));
        return result;
    }
    RDB_XML_OPTIONS options;
    options.m_action_point = settings.action_point;
    options.m_stream_flag = opt.stream_flag;
    options.m_use_schema = opt.schema;
    options.m_use_namespaces = !opt.no_namespaces;
    options.m_use_static_buffers = !opt.dynamic_buffers;
    options.m_dead_parser = opt.dead_parser;
    options.m_strict = opt.strict;
    options.m_progress = progress;
    // The parser's lines, kept for the verbose and dropped otherwise.
    options.m_message_sink = [&result, &settings](const char* tag, const char* text) {
        if (settings.verbosity == RDBXML_VERBOSE)
            result.err += std::string(tag) + ": " + text + "\n";
    };
    RDB_XML_INPUT source = input.from_stdin ? RDB_XML_INPUT::descriptor(STDIN_FILENO, STDIN_NAME)
                                            : RDB_XML_INPUT::file(input.name);
    RDB_XML_RESULT parsed = rdb_xml_parse_input(source, options);
    result.report = std::move(parsed.m_report);
    std::size_t listed = 0;
    for (const RDB_XML_DIAGNOSTIC& d : parsed.m_diagnostics)
        listed += d.m_severity == RDB_XML_DIAGNOSTIC::WARNING;
    // The list keeps only the first of each kind; the totals are lost when
    // the parse ended early.
    result.warnings = std::max(listed, static_cast<std::size_t>(parsed.m_warnings + parsed.m_not_as_written));
    if (settings.verbosity == RDBXML_QUIET && result.report)
        return result;
    std::string said;
    for (const RDB_XML_DIAGNOSTIC& d : parsed.m_diagnostics)
        said += rdb_text_escaped(rdb_xml_diagnostic_line(d)) + "\n";
    // So short of memory that not even the reason could be kept.
    if (!result.report && parsed.m_diagnostics.empty())
        said += rdbxml_file_message(input.name, "error", parsed.m_out_of_memory ? "out of memory" : "no report");
    if (result.report)
        result.err += said;
    else
        refused(std::move(said));
    return result;
}
