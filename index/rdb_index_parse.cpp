// A file's parse made into what the index writes: its figures, or the
// first error that refused it.
#include <algorithm>

#include <rdbxml/rdb_report_tree.h>
#include <rdbxml/rdb_text_writer.h>
#include <rdbxml/rdb_xml.h>

#include "rdb_index.h"

namespace {

// The first line of `failure` that is an error (a refused file may have
// warnings before it), else its first line.
std::string first_error(const std::string& failure)
{
    std::size_t start = 0;
    while (start < failure.size()) {
        std::size_t end = failure.find('\n', start);
        if (end == std::string::npos)
            end = failure.size();
        std::string line = failure.substr(start, end - start);
        if (line.find(": error: ") != std::string::npos)
            return line;
        start = end + 1;
    }
    std::string line = failure.substr(0, failure.find('\n'));
    return line.empty() ? "no report" : line;
}

}  // namespace

RDB_INDEX_PARSED rdb_index_measure(std::unique_ptr<RDB_REPORT> report, std::string messages, std::string failure,
                                   std::size_t warnings, bool cells)
{
    RDB_INDEX_PARSED parsed;
    parsed.m_messages = std::move(messages);
    parsed.m_warnings = warnings;
    if (!report) {
        parsed.m_error = first_error(failure);
        return parsed;
    }
    const RDB_FOLDER_OBJECT* top = report->get_main_folder();
    parsed.m_metrics.reset(new RDB_METRICS(top ? rdb_report_metrics(*top, cells) : RDB_METRICS()));
    return parsed;
}

RDB_INDEX_PARSED rdb_index_parse_file(const std::string& path, bool cells, bool strict)
{
    RDB_XML_OPTIONS options;
    options.m_strict = strict;
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(path), options);
    std::string messages;
    std::size_t listed = 0;
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics) {
        messages += rdb_text_escaped(rdb_xml_diagnostic_line(d)) + "\n";
        listed += d.m_severity == RDB_XML_DIAGNOSTIC::WARNING;
    }
    std::size_t warnings = std::max(listed, static_cast<std::size_t>(result.m_warnings + result.m_not_as_written));
    if (!result.m_report && messages.empty())
        messages = rdb_text_escaped(path) + (result.m_out_of_memory ? ": error: out of memory\n" : ": error: no report\n");
    std::string failure = result.m_report ? std::string() : messages;
    return rdb_index_measure(std::move(result.m_report), std::move(messages), std::move(failure), warnings, cells);
}
