#include <rdbxml/rdb_html_writer.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_visitor.h>
#include "rdb_html_ids.h"
#include "rdb_html_objects.h"
#include "rdb_html_output.h"
#include "rdb_html_page.h"

namespace {

// Indentation classes of the sidebar stop here, so that a deep tree stays
// readable and the style sheet small.
const std::size_t MAX_NAV_DEPTH = 8;
// The sidebar shows the objects of the first levels of folders; deeper ones
// wait, folded, until a person opens their folder or goes to them, so that
// a report of many objects paints at once.
const std::size_t OPEN_LEVELS = 2;

struct HTML_ENTRY {
    const RDB_OBJECT* object;
    const RDB_FOLDER_OBJECT* folder;  // the object as a folder, else null
    std::size_t level;
    std::size_t parent;  // the entry of its folder; its own index for the top folder
    std::string id;
};

// Every object of the page in document order (each folder before what it
// holds), with its id made from its path, and what each folder holds. The
// walk holds one path at a time; ids keep at most a bounded length each.
class HTML_TREE {
public:
    explicit HTML_TREE(const RDB_FOLDER_OBJECT& top)
    {
        RDB_PATH_CURSOR cursor(top);
        std::vector<std::size_t> open;  // the entries of the folders that hold the current object
        const RDB_OBJECT* gauges = nullptr;  // shown with its summary
        while (cursor.next()) {
            const RDB_OBJECT& object = cursor.object();
            if (&object == gauges)
                continue;
            if (const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&object))
                gauges = summary->get_gauges();
            std::size_t index = m_entries.size();
            open.resize(std::min(open.size(), cursor.level()));
            std::size_t parent = open.empty() ? index : open.back();
            const RDB_FOLDER_OBJECT* folder = object.dynamic_cast_to_RDB_FOLDER_OBJECT();
            m_entries.push_back({&object, folder, cursor.level(), parent, m_ids.make(cursor.path(), index)});
            m_children.emplace_back();
            if (parent != index)
                m_children[parent].push_back(index);
            if (folder != nullptr) {
                open.push_back(index);
                ++m_folders;
            } else {
                ++m_objects;
            }
        }
    }

    std::vector<HTML_ENTRY> m_entries;
    std::vector<std::vector<std::size_t>> m_children;  // by entry: the entries its folder holds
    std::size_t m_folders = 0;
    std::size_t m_objects = 0;

private:
    RDB_HTML_IDS m_ids;
};

// What the sidebar says of an object's size: rows, points, gauges or
// objects, else its kind.
class ENTRY_COUNT : private RDB_OBJECT_VISITOR {
public:
    static void write(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object)
    {
        ENTRY_COUNT count;
        object.accept(count);
        if (count.m_noun == nullptr) {
            out.raw(object.get_kind());
            return;
        }
        out.number(static_cast<long>(count.m_count)).raw(' ').raw(count.m_noun);
        if (count.m_count != 1)
            out.raw('s');
    }

private:
    using RDB_OBJECT_VISITOR::visit;
    void visit(const RDB_FOLDER_OBJECT& folder) override { set(folder.get_number_of_objects(), "object"); }
    // Every kind of table but a chart: data rows, the heading row holds
    // the column titles.
    void visit(const RDB_TABLE_OBJECT& table) override
    {
        set(table.get_number_of_rows() - table.get_first_data_row(), "row");
    }
    void visit(const RDB_CHART_TABLE_OBJECT& chart) override { set(chart.get_points().size(), "point"); }
    void visit(const RDB_GAUGES_OBJECT& gauges) override
    {
        std::size_t count = 0;
        for (unsigned i = 0; i < gauges.get_number_of_slots(); ++i)
            count += gauges.get_data_at(i) != nullptr;
        set(count, "gauge");
    }

    void set(std::size_t count, const char* noun)
    {
        m_count = count;
        m_noun = noun;
    }

    std::size_t m_count = 0;
    const char* m_noun = nullptr;
};

class HTML_PAGE_WRITER {
public:
    HTML_PAGE_WRITER(RDB_HTML_OUTPUT& out, const HTML_TREE* tree) : m_out(out), m_tree(tree) {}

    // The whole tree as one flat list, each entry with its level: nested
    // lists as deep as the folders would cost the browser a level of
    // layout per folder. The script folds and unfolds it by the levels.
    void write_navigation()
    {
        m_out.raw("<nav class=\"tree\" aria-label=\"Report\"><ul>\n");
        for (std::size_t i = 0; m_tree != nullptr && i < m_tree->m_entries.size(); ++i)
            write_entry(m_tree->m_entries[i]);
        m_out.raw("</ul></nav>\n");
    }

    void write_sections()
    {
        for (std::size_t i = 0; m_tree != nullptr && i < m_tree->m_entries.size(); ++i)
            if (m_tree->m_entries[i].folder != nullptr)
                write_section(i);
    }

private:
    void write_entry(const HTML_ENTRY& entry)
    {
        const RDB_OBJECT& object = *entry.object;
        m_out.raw("<li class=\"d").number(static_cast<long>(std::min(entry.level, MAX_NAV_DEPTH)));
        if (entry.folder != nullptr)
            m_out.raw(entry.level >= OPEN_LEVELS && entry.folder->get_number_of_objects() != 0 ? " folder shut"
                                                                                               : " folder");
        m_out.raw(object.is_enabled() ? "\"" : " disabled\"");
        m_out.raw(" data-depth=\"").number(static_cast<long>(entry.level)).raw('"');
        m_out.raw(entry.level > OPEN_LEVELS ? " hidden>" : ">");
        m_out.raw("<a href=\"#").raw(entry.id).raw("\">");
        rdb_html_write_name(m_out, object);
        m_out.raw(" <span class=\"count\">");
        ENTRY_COUNT::write(m_out, object);
        m_out.raw("</span></a></li>\n");
    }

    void write_section(std::size_t index)
    {
        const HTML_ENTRY& entry = m_tree->m_entries[index];
        const RDB_FOLDER_OBJECT& folder = *entry.folder;
        m_out.raw(folder.is_enabled() ? "<section class=\"folder\" id=\"" : "<section class=\"folder disabled\" id=\"");
        m_out.raw(entry.id).raw("\">\n");
        if (entry.parent != index) {
            const HTML_ENTRY& parent = m_tree->m_entries[entry.parent];
            m_out.raw("<p class=\"in\"><a href=\"#").raw(parent.id).raw("\">");
            rdb_html_write_name(m_out, *parent.object);
            m_out.raw("</a> \xE2\x80\xBA</p>\n");
        }
        m_out.raw("<h2>");
        rdb_html_write_name(m_out, folder);
        rdb_html_write_head(m_out, folder, "</h2>\n");
        if (folder.get_number_of_objects() == 0)
            m_out.raw("<p class=\"empty\">Empty folder.</p>\n");
        for (std::size_t child : m_tree->m_children[index]) {
            const HTML_ENTRY& held = m_tree->m_entries[child];
            if (held.folder != nullptr) {
                m_out.raw("<p class=\"subfolder\"><a href=\"#").raw(held.id).raw("\">\xE2\x96\xB8 ");
                rdb_html_write_name(m_out, *held.folder);
                m_out.raw("</a>").raw(held.folder->is_enabled() ? "" : "<span class=\"badge\">disabled</span>").raw("</p>\n");
                continue;
            }
            rdb_html_write_object(m_out, *held.object, held.id);
        }
        rdb_html_write_footer(m_out, folder);
        m_out.raw("</section>\n");
    }

    RDB_HTML_OUTPUT& m_out;
    const HTML_TREE* m_tree;
};

}  // namespace

void rdb_write_html(const RDB_REPORT* report, std::ostream& stream, const std::string& title)
{
    RDB_HTML_OUTPUT out(stream);
    std::string nonce = rdb_html_new_nonce();
    rdb_html_page_begin(out, title, nonce);
    out.raw("<header class=\"page\"><h1>").text(title).raw("</h1><p>");

    const RDB_FOLDER_OBJECT* main_folder = report != nullptr ? report->get_main_folder() : nullptr;
    std::unique_ptr<HTML_TREE> tree;
    if (main_folder != nullptr)
        tree = std::make_unique<HTML_TREE>(*main_folder);
    if (report == nullptr) {
        out.raw("No report.");
    } else {
        std::size_t folders = tree ? tree->m_folders : 0;
        std::size_t objects = tree ? tree->m_objects : 0;
        out.number(static_cast<long>(folders)).raw(folders == 1 ? " folder, " : " folders, ");
        out.number(static_cast<long>(objects)).raw(objects == 1 ? " object" : " objects");
        if (const RDB_FOLDER_OBJECT* current = report->get_current_folder())
            out.raw(" \xC2\xB7 current folder: ").text(current->get_name());
    }
    out.raw("</p></header>\n<div class=\"layout\">\n");

    HTML_PAGE_WRITER page(out, tree.get());
    page.write_navigation();
    out.raw("<main>\n");
    if (main_folder == nullptr)
        out.raw("<p class=\"empty\">The report has no main folder.</p>\n");
    page.write_sections();
    out.raw("</main>\n</div>\n");
    rdb_html_page_end(out, nonce);
    out.flush();
}
