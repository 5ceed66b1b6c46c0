#include <rdbxml/rdb_diff_writer.h>

#include "rdb_diff_describe.h"
#include "rdb_html_ids.h"
#include "rdb_html_output.h"
#include "rdb_html_page.h"
#include "rdb_html_table.h"

namespace {

// Each cell carries its change's class (add, del, chg, ren), so that a
// change keeps its colours on every page of a long table, where rows are
// made by the page's script from cells alone. Old and new first: in a row
// added or removed as a whole, the row's colour wins.
const char* const DIFF_STYLE = R"CSS(
table.cells.diff td.sign{font-weight:700;text-align:center}
table.cells.diff td.old{background-color:#fce8e6}
table.cells.diff td.new{background-color:#e6f4ea}
table.cells.diff td.add{background-color:#e6f4ea}
table.cells.diff td.del{background-color:#fce8e6}
table.cells.diff td.ren{font-weight:600}
table.cells.diff td.novalue{color:var(--muted);font-style:italic}
@media screen and (prefers-color-scheme:dark){
table.cells.diff td.old,table.cells.diff td.del{background-color:#4a2326}
table.cells.diff td.new,table.cells.diff td.add{background-color:#1f3d2a}
}
)CSS";

const char* change_class(const RDB_DIFF_CHANGE& change)
{
    // A renamed object's first row, its old and new names, stands out from
    // the changes inside it that follow.
    if (change.m_kind == RDB_DIFF_OBJECT_RENAMED)
        return "ren";
    char sign = rdb_diff_sign(change);
    return sign == '+' ? "add" : sign == '-' ? "del" : "chg";
}

void add_cell(std::vector<RDB_HTML_CELL>& cells, std::string text, bool numeric, const char* own, const char* change)
{
    RDB_HTML_CELL cell;
    cell.m_text = std::move(text);
    cell.m_numeric = numeric;
    cell.m_class = own;
    if (*own != 0)
        cell.m_class += ' ';
    cell.m_class += change;
    cells.push_back(std::move(cell));
}

void change_cells(const RDB_DIFF_CHANGE& change, std::vector<RDB_HTML_CELL>& cells)
{
    const char* kind = change_class(change);
    add_cell(cells, std::string(1, rdb_diff_sign(change)), false, "sign", kind);
    add_cell(cells, rdb_diff_subject(change), false, "", kind);
    if (change.m_kind == RDB_DIFF_OBJECT_ADDED || change.m_kind == RDB_DIFF_OBJECT_REMOVED) {
        for (int i = 0; i < 3; ++i)
            add_cell(cells, std::string(), false, "", kind);
        return;
    }
    bool kinds = change.m_kind == RDB_DIFF_CELL_KIND;
    add_cell(cells,
             !change.m_has_old ? std::string("(none)")
             : kinds           ? std::string(change.m_old_type) + ' ' + change.m_old
                               : change.m_old,
             false, change.m_has_old ? "old" : "old novalue", kind);
    add_cell(cells,
             !change.m_has_new ? std::string("(none)")
             : kinds           ? std::string(change.m_new_type) + ' ' + change.m_new
                               : change.m_new,
             false, change.m_has_new ? "new" : "new novalue", kind);
    add_cell(cells, rdb_diff_difference(change), true, "", kind);
}

// The changes of one object: they come together, the object's first.
struct CHANGED_OBJECT {
    std::size_t m_first;
    std::size_t m_count;
    std::string m_heading;
    std::string m_id;
};

std::vector<CHANGED_OBJECT> changed_objects(const std::vector<RDB_DIFF_CHANGE>& changes)
{
    std::vector<CHANGED_OBJECT> objects;
    // An object's id is its path, as on the report's own page: a link to
    // it holds while the reports change elsewhere, and names the same
    // object on both pages.
    RDB_HTML_IDS ids;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        std::string heading = rdb_diff_heading(changes[i]);
        if (!objects.empty() && objects.back().m_heading == heading) {
            ++objects.back().m_count;
            continue;
        }
        std::string id = ids.make(changes[i].m_path, objects.size());
        objects.push_back({i, 1, std::move(heading), std::move(id)});
    }
    return objects;
}

const std::vector<std::string> DIFF_TITLES = {"\xC2\xB1", "What", "Old", "New", "Difference"};

}  // namespace

void rdb_write_diff_html(const std::vector<RDB_DIFF_CHANGE>& changes, std::ostream& stream,
                         const std::string& old_name, const std::string& new_name)
{
    RDB_HTML_OUTPUT out(stream);
    std::string nonce = rdb_html_new_nonce();
    std::vector<CHANGED_OBJECT> objects = changed_objects(changes);
    rdb_html_page_begin(out, old_name + " \xE2\x86\x92 " + new_name, nonce, DIFF_STYLE);
    out.raw("<header class=\"page\"><h1>").text(old_name).raw(" \xE2\x86\x92 ").text(new_name).raw("</h1><p>");
    out.number(static_cast<long>(changes.size())).raw(changes.size() == 1 ? " change in " : " changes in ");
    out.number(static_cast<long>(objects.size())).raw(objects.size() == 1 ? " object" : " objects");
    out.raw("</p></header>\n<div class=\"layout\">\n");

    // The sidebar lists the changed objects, each with its count of changes.
    if (!objects.empty()) {
        std::vector<RDB_HTML_NAV_ENTRY> entries;
        for (const CHANGED_OBJECT& object : objects)
            entries.push_back({object.m_id, object.m_heading, object.m_count});
        rdb_html_write_flat_navigation(out, "Changed objects", entries);
    }
    out.raw("<main>\n");
    if (changes.empty())
        out.raw("<p class=\"empty\">The reports are the same.</p>\n");
    for (const CHANGED_OBJECT& object : objects) {
        out.raw("<article class=\"object\" id=\"").raw(object.m_id).raw("\"><h3>").text(object.m_heading);
        out.raw("</h3>\n");
        rdb_html_write_cell_rows(
            out, DIFF_TITLES, object.m_count,
            [&](std::size_t row, std::vector<RDB_HTML_CELL>& cells) { change_cells(changes[object.m_first + row], cells); },
            object.m_id + "-t", "diff");
        out.raw("</article>\n");
    }
    out.raw("</main>\n</div>\n");
    rdb_html_page_end(out, nonce);
    out.flush();
}
