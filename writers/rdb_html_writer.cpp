#include <rdbxml/rdb_html_writer.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_walk.h>
#include "rdb_html_objects.h"
#include "rdb_html_output.h"
#include "rdb_html_page.h"

namespace {

// Indentation classes of the navigation stop here, so that a deep tree
// stays readable.
const std::size_t MAX_NAV_DEPTH = 8;

struct HTML_FOLDER {
    const RDB_FOLDER_OBJECT* folder;
    std::size_t depth;
    std::size_t parent;  // index of the parent folder; the index itself for the main folder
};

// The folders in document order (depth first, each before its objects).
class FOLDER_COLLECTOR : public RDB_FOLDER_WALK_HANDLER {
public:
    void enter_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) override
    {
        std::size_t index = m_folders.size();
        m_folders.push_back({&folder, depth, m_open.empty() ? index : m_open.back()});
        m_index.emplace(&folder, index);
        m_open.push_back(index);
    }
    void leave_folder(const RDB_FOLDER_OBJECT&, std::size_t) override { m_open.pop_back(); }
    void leaf(const RDB_OBJECT&, std::size_t) override { ++m_objects; }

    std::vector<HTML_FOLDER> m_folders;
    std::unordered_map<const RDB_FOLDER_OBJECT*, std::size_t> m_index;
    std::size_t m_objects = 0;

private:
    std::vector<std::size_t> m_open;
};

std::string folder_id(std::size_t index) { return "f" + std::to_string(index); }

class HTML_PAGE_WRITER {
public:
    HTML_PAGE_WRITER(RDB_HTML_OUTPUT& out, const FOLDER_COLLECTOR& tree) : m_out(out), m_tree(tree) {}

    void write_navigation()
    {
        m_out.raw("<nav class=\"tree\" aria-label=\"Folders\"><ul>\n");
        for (std::size_t i = 0; i < m_tree.m_folders.size(); ++i) {
            const HTML_FOLDER& entry = m_tree.m_folders[i];
            m_out.raw("<li class=\"d").number(static_cast<long>(std::min(entry.depth, MAX_NAV_DEPTH)));
            m_out.raw(entry.folder->is_enabled() ? "\">" : " disabled\">");
            m_out.raw("<a href=\"#").raw(folder_id(i)).raw("\">");
            rdb_html_write_name(m_out, *entry.folder);
            m_out.raw(" <span class=\"count\">").number(static_cast<long>(entry.folder->get_number_of_objects()));
            m_out.raw("</span></a></li>\n");
        }
        m_out.raw("</ul></nav>\n");
    }

    void write_sections()
    {
        for (std::size_t i = 0; i < m_tree.m_folders.size(); ++i)
            write_section(i);
    }

private:
    void write_section(std::size_t index)
    {
        const HTML_FOLDER& entry = m_tree.m_folders[index];
        const RDB_FOLDER_OBJECT& folder = *entry.folder;
        m_out.raw(folder.is_enabled() ? "<section class=\"folder\" id=\"" : "<section class=\"folder disabled\" id=\"");
        m_out.raw(folder_id(index)).raw("\">\n");
        if (entry.parent != index) {
            m_out.raw("<p class=\"in\"><a href=\"#").raw(folder_id(entry.parent)).raw("\">");
            rdb_html_write_name(m_out, *m_tree.m_folders[entry.parent].folder);
            m_out.raw("</a> \xE2\x80\xBA</p>\n");
        }
        m_out.raw("<h2>");
        rdb_html_write_name(m_out, folder);
        rdb_html_write_head(m_out, folder, "</h2>\n");
        if (folder.get_number_of_objects() == 0)
            m_out.raw("<p class=\"empty\">Empty folder.</p>\n");
        for (std::size_t i = 0; i < folder.get_number_of_objects(); ++i) {
            const RDB_OBJECT* object = folder.get_object(i);
            if (object == nullptr)
                continue;
            if (const RDB_FOLDER_OBJECT* sub = object->dynamic_cast_to_RDB_FOLDER_OBJECT()) {
                auto found = m_tree.m_index.find(sub);
                if (found == m_tree.m_index.end())
                    continue;
                m_out.raw("<p class=\"subfolder\"><a href=\"#").raw(folder_id(found->second)).raw("\">\xE2\x96\xB8 ");
                rdb_html_write_name(m_out, *sub);
                m_out.raw("</a>").raw(sub->is_enabled() ? "" : "<span class=\"badge\">disabled</span>").raw("</p>\n");
                continue;
            }
            rdb_html_write_object(m_out, *object, "o" + std::to_string(++m_object_count));
        }
        rdb_html_write_footer(m_out, folder);
        m_out.raw("</section>\n");
    }

    RDB_HTML_OUTPUT& m_out;
    const FOLDER_COLLECTOR& m_tree;
    std::size_t m_object_count = 0;
};

}  // namespace

void rdb_write_html(const RDB_REPORT* report, std::ostream& stream, const std::string& title)
{
    RDB_HTML_OUTPUT out(stream);
    std::string nonce = rdb_html_new_nonce();
    rdb_html_page_begin(out, title, nonce);
    out.raw("<header class=\"page\"><h1>").text(title).raw("</h1><p>");

    FOLDER_COLLECTOR tree;
    const RDB_FOLDER_OBJECT* main_folder = report != nullptr ? report->get_main_folder() : nullptr;
    if (main_folder != nullptr)
        rdb_walk_folder_tree(*main_folder, tree);
    if (report == nullptr) {
        out.raw("No report.");
    } else {
        out.number(static_cast<long>(tree.m_folders.size())).raw(tree.m_folders.size() == 1 ? " folder, " : " folders, ");
        out.number(static_cast<long>(tree.m_objects)).raw(tree.m_objects == 1 ? " object" : " objects");
        if (const RDB_FOLDER_OBJECT* current = report->get_current_folder())
            out.raw(" \xC2\xB7 current folder: ").text(current->get_name());
    }
    out.raw("</p></header>\n<div class=\"layout\">\n");

    HTML_PAGE_WRITER page(out, tree);
    page.write_navigation();
    out.raw("<main>\n");
    if (main_folder == nullptr)
        out.raw("<p class=\"empty\">The report has no main folder.</p>\n");
    page.write_sections();
    out.raw("</main>\n</div>\n");
    rdb_html_page_end(out, nonce);
    out.flush();
}
