#include <rdbxml/rdb_html_list_writer.h>

#include "rdb_html_ids.h"
#include "rdb_html_output.h"
#include "rdb_html_page.h"

namespace {

// A file name as a relative link: every byte but the unreserved ones
// escaped, so that no name reads as a scheme ("javascript:"), a fragment,
// a query or a path step.
bool is_unreserved(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::string link_to(const std::string& name)
{
    std::string link = "./";
    rdb_html_append_percent_encoded(link, name, is_unreserved);
    return link;
}

const char* status_of(const RDB_HTML_LISTED_REPORT& report)
{
    if (!report.read)
        return "failed";
    return report.warnings > 0 ? "with warnings" : "good";
}

// The list's own rules, after the page's style sheet.
const char* const LIST_STYLE =
    "table.list td.status-failed{color:#b3261e;font-weight:600}"
    "table.list td.status-warned{color:#8a5a00}"
    "@media screen and (prefers-color-scheme:dark){table.list td.status-failed{color:#ff8a80}"
    "table.list td.status-warned{color:#e0b060}}";

}  // namespace

void rdb_write_html_list(const std::vector<RDB_HTML_LISTED_REPORT>& reports, std::ostream& stream,
                         const std::string& title)
{
    RDB_HTML_OUTPUT out(stream);
    std::string nonce = rdb_html_new_nonce();
    rdb_html_page_begin(out, title, nonce, LIST_STYLE);
    std::size_t good = 0, failed = 0, warned = 0;
    for (const RDB_HTML_LISTED_REPORT& report : reports) {
        good += report.read;
        failed += !report.read;
        warned += report.warnings > 0;
    }
    out.raw("<header class=\"page\"><h1>").text(title).raw("</h1><p>");
    out.number(static_cast<long>(reports.size())).raw(reports.size() == 1 ? " file: " : " files: ");
    out.number(static_cast<long>(good)).raw(" good, ").number(static_cast<long>(failed)).raw(" failed, ");
    out.number(static_cast<long>(warned)).raw(" with warnings</p></header>\n<main>\n");
    out.raw("<table class=\"cells list\"><thead><tr><th>Report</th><th>Status</th><th>Warnings</th></tr></thead>"
            "<tbody>\n");
    for (const RDB_HTML_LISTED_REPORT& report : reports) {
        out.raw("<tr><td>");
        if (!report.page.empty())
            out.raw("<a href=\"").text(link_to(report.page)).raw("\">").text(report.file).raw("</a>");
        else
            out.text(report.file);
        const char* status = status_of(report);
        out.raw("</td><td class=\"status-")
            .raw(!report.read ? "failed" : report.warnings > 0 ? "warned" : "good")
            .raw("\">")
            .raw(status);
        out.raw("</td><td class=\"num\">").number(static_cast<long>(report.warnings)).raw("</td></tr>\n");
    }
    out.raw("</tbody></table>\n</main>\n");
    rdb_html_page_end(out, nonce);
    out.flush();
}
