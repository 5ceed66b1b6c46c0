#include <rdbxml/rdb_diff_writer.h>

#include "rdb_diff_describe.h"
#include "rdb_html_output.h"
#include "rdb_html_page.h"

namespace {

const char* const DIFF_STYLE = R"CSS(
table.diff td.sign{font-weight:700;text-align:center}
table.diff tr.add td{background-color:#e6f4ea}
table.diff tr.del td{background-color:#fce8e6}
table.diff tr.chg td.old,table.diff tr.ren td.old{background-color:#fce8e6}
table.diff tr.chg td.new,table.diff tr.ren td.new{background-color:#e6f4ea}
table.diff tr.ren td{font-weight:600}
table.diff td.none{color:var(--muted);font-style:italic}
)CSS";

void value_cell(RDB_HTML_OUTPUT& out, const char* side, bool has, const std::string& text)
{
    out.raw("<td class=\"").raw(side).raw(has ? "\">" : " none\">");
    out.text(has ? text : std::string("(none)")).raw("</td>");
}

void change_row(RDB_HTML_OUTPUT& out, const RDB_DIFF_CHANGE& change)
{
    char sign = rdb_diff_sign(change);
    // A renamed object's first row, its old and new names, stands out from
    // the changes inside it that follow.
    out.raw(change.m_kind == RDB_DIFF_OBJECT_RENAMED ? "<tr class=\"ren\">"
            : sign == '+'                          ? "<tr class=\"add\">"
            : sign == '-'                          ? "<tr class=\"del\">"
                                                   : "<tr class=\"chg\">");
    out.raw("<td class=\"sign\">").raw(sign).raw("</td><td>").text(rdb_diff_subject(change)).raw("</td>");
    if (change.m_kind == RDB_DIFF_OBJECT_ADDED || change.m_kind == RDB_DIFF_OBJECT_REMOVED) {
        out.raw("<td></td><td></td><td></td></tr>\n");
        return;
    }
    bool kinds = change.m_kind == RDB_DIFF_CELL_KIND;
    value_cell(out, "old", change.m_has_old, kinds ? std::string(change.m_old_type) + ' ' + change.m_old : change.m_old);
    value_cell(out, "new", change.m_has_new, kinds ? std::string(change.m_new_type) + ' ' + change.m_new : change.m_new);
    out.raw("<td class=\"num\">").text(rdb_diff_difference(change)).raw("</td></tr>\n");
}

}  // namespace

void rdb_write_diff_html(const std::vector<RDB_DIFF_CHANGE>& changes, std::ostream& stream,
                         const std::string& old_name, const std::string& new_name)
{
    RDB_HTML_OUTPUT out(stream);
    std::string nonce = rdb_html_new_nonce();
    rdb_html_page_begin(out, old_name + " \xE2\x86\x92 " + new_name, nonce, DIFF_STYLE);
    out.raw("<header class=\"page\"><h1>").text(old_name).raw(" \xE2\x86\x92 ").text(new_name).raw("</h1><p>");
    std::size_t objects = 0;
    std::string heading;
    for (const RDB_DIFF_CHANGE& change : changes) {
        std::string next = rdb_diff_heading(change);
        objects += next != heading;
        heading = std::move(next);
    }
    out.number(static_cast<long>(changes.size())).raw(changes.size() == 1 ? " change in " : " changes in ");
    out.number(static_cast<long>(objects)).raw(objects == 1 ? " object" : " objects").raw("</p></header>\n<main>\n");
    if (changes.empty())
        out.raw("<p class=\"empty\">The reports are the same.</p>\n");

    heading.clear();
    for (const RDB_DIFF_CHANGE& change : changes) {
        std::string next = rdb_diff_heading(change);
        if (next != heading) {
            if (!heading.empty())
                out.raw("</tbody></table></div></article>\n");
            heading = std::move(next);
            out.raw("<article class=\"object\"><h3>").text(heading).raw("</h3>\n");
            out.raw("<div class=\"table-wrap\"><table class=\"cells diff\"><tbody>\n");
        }
        change_row(out, change);
    }
    if (!heading.empty())
        out.raw("</tbody></table></div></article>\n");
    out.raw("</main>\n");
    rdb_html_page_end(out, nonce);
    out.flush();
}
