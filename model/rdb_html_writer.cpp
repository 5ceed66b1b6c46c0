#include "rdb_html_writer.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "rdb_html_chart.h"
#include "rdb_html_output.h"
#include "rdb_html_page.h"
#include "rdb_html_table.h"
#include "rdb_report.h"
#include "rdb_walk.h"

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

std::string percent(double fraction)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f%%", 100 * fraction);
    return text;
}

// The body of each kind of object.
class HTML_OBJECT_WRITER : private RDB_OBJECT_VISITOR {
public:
    explicit HTML_OBJECT_WRITER(RDB_HTML_OUTPUT& out) : m_out(out) {}

    void write(const RDB_OBJECT& object, const std::string& id)
    {
        m_id = id;
        m_out.raw("<article class=\"object kind-").raw(object.get_kind());
        m_out.raw(object.is_enabled() ? "\"" : " disabled\"").raw(" id=\"").raw(id).raw("\">\n<h3>");
        write_name(object);
        m_out.raw("<span class=\"kind\">").raw(kind_label(object)).raw("</span>");
        write_common_head(object, "</h3>\n");
        object.accept(*this);
        write_footer(object);
        m_out.raw("</article>\n");
        m_out.flush_if_full();
    }

    void write_name(const RDB_OBJECT& object)
    {
        if (object.get_name().empty())
            m_out.raw("<span class=\"unnamed\">(unnamed)</span>");
        else
            m_out.text(object.get_name());
    }

    // The rest of the heading (closed by `heading_end`), then the creator
    // and the header.
    void write_common_head(const RDB_OBJECT& object, const char* heading_end)
    {
        if (!object.is_enabled())
            m_out.raw("<span class=\"badge\">disabled</span>");
        m_out.raw(heading_end);
        if (!object.get_creator_module().empty())
            m_out.raw("<p class=\"meta\">Created by ").text(object.get_creator_module()).raw("</p>\n");
        if (const STL_STRING* header = object.get_header())
            m_out.raw("<p class=\"header\">").text(*header).raw("</p>\n");
    }

    void write_footer(const RDB_OBJECT& object)
    {
        if (const STL_STRING* footer = object.get_footer())
            m_out.raw("<p class=\"footer\">").text(*footer).raw("</p>\n");
    }

private:
    using RDB_OBJECT_VISITOR::visit;

    static const char* kind_label(const RDB_OBJECT& object)
    {
        std::string kind = object.get_kind();
        if (kind == "tan_spd_table")
            return "timing: speed";
        if (kind == "tan_slack_table")
            return "timing: slack";
        if (kind == "legal")
            return "legal notice";
        return object.get_kind();
    }

    void visit(const RDB_TEXT_OBJECT& object) override
    {
        const STL_STRING* text = object.get_text();
        if (text == nullptr || text->empty()) {
            m_out.raw("<p class=\"empty\">No text.</p>\n");
            return;
        }
        m_out.raw(object.get_kind() == std::string("legal") ? "<div class=\"text legal\">" : "<div class=\"text\">");
        write_paragraphs(text->c_str(), text->size());
        m_out.raw("</div>\n");
    }

    // Paragraphs are separated by blank lines; the line breaks inside one
    // are kept by the style sheet.
    void write_paragraphs(const char* text, std::size_t length)
    {
        std::size_t start = 0;
        while (start < length) {
            std::size_t end = start;
            std::size_t next = length;
            for (std::size_t at = start; at < length; ++at) {
                if (text[at] != '\n')
                    continue;
                std::size_t after = at + 1;
                while (after < length && (text[after] == '\r' || text[after] == ' ' || text[after] == '\t'))
                    ++after;
                if (after < length && text[after] == '\n') {
                    end = at;
                    next = after + 1;
                    break;
                }
            }
            if (next == length)
                end = length;
            if (end > start)
                m_out.raw("<p>").text(text + start, end - start).raw("</p>\n");
            start = next;
        }
    }

    void visit(const RDB_EMBEDDED_OBJECT& object) override
    {
        m_out.raw("<dl class=\"info\">");
        embedded_fields(object);
        m_out.raw("</dl>\n");
    }

    void visit(const RDB_WAVEFORM_OBJECT& object) override
    {
        m_out.raw("<dl class=\"info\">");
        embedded_fields(object);
        field("Source vectors", object.get_source_vector_file_name());
        field("Result vectors", object.get_result_vector_file_name());
        m_out.raw("<dt>Compare mode</dt><dd>")
            .raw(object.get_compare_mode() ? "on: results are compared with the expected vectors" : "off")
            .raw("</dd>");
        m_out.raw("</dl>\n");
    }

    void embedded_fields(const RDB_EMBEDDED_OBJECT& object)
    {
        const char* type = rdb_get_string_by_rdb_embedded_object_embedded_type_enum(object.get_embedded_type());
        m_out.raw("<dt>Type</dt><dd>").raw(type != nullptr ? type : "unknown").raw("</dd>");
        field("Info", object.get_info_str());
    }

    void field(const char* label, const STL_STRING& value)
    {
        m_out.raw("<dt>").raw(label).raw("</dt><dd>");
        if (value.empty())
            m_out.raw("<span class=\"empty\">none</span>");
        else
            m_out.text(value);
        m_out.raw("</dd>");
    }

    void visit(const RDB_GAUGES_OBJECT& object) override { write_gauges(object); }

    void visit(const RDB_TABLE_OBJECT& object) override
    {
        table_meta(object, "");
        rdb_html_write_rows(m_out, object, m_id + "-t", "");
    }

    void visit(const RDB_TAN_SPD_TABLE_OBJECT& object) override
    {
        table_meta(object, object.get_show_min() ? " \xC2\xB7 minimum values shown" : "");
        rdb_html_write_rows(m_out, object, m_id + "-t", "timing");
    }

    void visit(const RDB_TAN_SLACK_TABLE_OBJECT& object) override
    {
        std::string meta = " \xC2\xB7 analysis type " + std::to_string(object.get_analysis_type());
        std::string columns = rdb_column_ids_text(object);
        if (!columns.empty())
            meta += " \xC2\xB7 columns: " + columns;
        if (object.has_restricted_to())
            meta += " \xC2\xB7 restricted to " + std::to_string(object.get_restricted_to());
        table_meta(object, meta);
        rdb_html_write_rows(m_out, object, m_id + "-t", "timing");
    }

    void visit(const RDB_SUMMARY_TABLE_OBJECT& object) override
    {
        rdb_html_write_rows(m_out, object, m_id + "-t", "summary");
        if (const RDB_GAUGES_OBJECT* gauges = object.get_gauges())
            write_gauges(*gauges);
    }

    void visit(const RDB_CHART_TABLE_OBJECT& object) override
    {
        const char* type = rdb_get_string_by_rdb_chart_table_object_chart_types_enum(object.get_default_chart_type());
        table_meta(object, std::string(" \xC2\xB7 ") + (type != nullptr ? type : "bar") + " chart");
        rdb_html_write_chart(m_out, object);
        m_out.raw("<details class=\"data\"><summary>Data</summary>\n");
        rdb_html_write_rows(m_out, object, m_id + "-t", "chart-data");
        m_out.raw("</details>\n");
    }

    // One line under the heading: the row count and the kind's settings.
    void table_meta(const RDB_TABLE_OBJECT& table, const std::string& settings)
    {
        unsigned rows = table.get_number_of_rows();
        m_out.raw("<p class=\"meta\">").number(rows).raw(rows == 1 ? " row" : " rows").raw(settings).raw("</p>\n");
    }

    void write_gauges(const RDB_GAUGES_OBJECT& gauges)
    {
        m_out.raw("<div class=\"gauges\">");
        bool any = false;
        for (unsigned i = 0; i < gauges.get_number_of_slots(); ++i) {
            if (const RDB_GAUGES_DATA_ELEMENT* gauge = gauges.get_data_at(i)) {
                write_gauge(*gauge);
                any = true;
            }
        }
        if (!any)
            m_out.raw("<p class=\"empty\">No gauges.</p>");
        m_out.raw("</div>\n");
    }

    // A bar filled as far as the value stands between min and max (clamped
    // to the bar); a percent gauge says that share as a percentage.
    void write_gauge(const RDB_GAUGES_DATA_ELEMENT& gauge)
    {
        double span = static_cast<double>(gauge.m_max) - gauge.m_min;
        double fraction = span > 0 ? (static_cast<double>(gauge.m_value) - gauge.m_min) / span
                                   : (gauge.m_value >= gauge.m_max ? 1 : 0);
        fraction = std::min(1.0, std::max(0.0, fraction));
        m_out.raw(gauge.is_disabled() ? "<div class=\"gauge disabled\">" : "<div class=\"gauge\">");
        m_out.raw("<span class=\"gauge-name\">").text(gauge.get_name());
        if (gauge.is_disabled())
            m_out.raw("<span class=\"badge\">disabled</span>");
        m_out.raw("</span><div class=\"gauge-bar\" role=\"meter\" aria-valuemin=\"").number(gauge.m_min);
        m_out.raw("\" aria-valuemax=\"").number(gauge.m_max).raw("\" aria-valuenow=\"").number(gauge.m_value);
        m_out.raw("\"><div class=\"gauge-fill\" style=\"width:").raw(percent(fraction)).raw("\"></div></div>");
        m_out.raw("<span class=\"gauge-value\">");
        if (gauge.is_percent())
            m_out.raw(percent(fraction));
        else
            m_out.number(gauge.m_value).raw(" (").number(gauge.m_min).raw("\xE2\x80\x93").number(gauge.m_max).raw(")");
        m_out.raw("</span></div>\n");
    }

    RDB_HTML_OUTPUT& m_out;
    std::string m_id;
};

class HTML_PAGE_WRITER {
public:
    HTML_PAGE_WRITER(RDB_HTML_OUTPUT& out, const FOLDER_COLLECTOR& tree) : m_out(out), m_tree(tree), m_objects(out) {}

    void write_navigation()
    {
        m_out.raw("<nav class=\"tree\" aria-label=\"Folders\"><ul>\n");
        for (std::size_t i = 0; i < m_tree.m_folders.size(); ++i) {
            const HTML_FOLDER& entry = m_tree.m_folders[i];
            m_out.raw("<li class=\"d").number(static_cast<long>(std::min(entry.depth, MAX_NAV_DEPTH)));
            m_out.raw(entry.folder->is_enabled() ? "\">" : " disabled\">");
            m_out.raw("<a href=\"#").raw(folder_id(i)).raw("\">");
            m_objects.write_name(*entry.folder);
            m_out.raw(" <span class=\"count\">").number(static_cast<long>(entry.folder->get_number_of_objects()));
            m_out.raw("</span></a></li>\n");
            m_out.flush_if_full();
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
            m_objects.write_name(*m_tree.m_folders[entry.parent].folder);
            m_out.raw("</a> \xE2\x80\xBA</p>\n");
        }
        m_out.raw("<h2>");
        m_objects.write_name(folder);
        m_objects.write_common_head(folder, "</h2>\n");
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
                m_objects.write_name(*sub);
                m_out.raw("</a>").raw(sub->is_enabled() ? "" : "<span class=\"badge\">disabled</span>").raw("</p>\n");
                continue;
            }
            m_objects.write(*object, "o" + std::to_string(++m_object_count));
        }
        m_objects.write_footer(folder);
        m_out.raw("</section>\n");
    }

    RDB_HTML_OUTPUT& m_out;
    const FOLDER_COLLECTOR& m_tree;
    HTML_OBJECT_WRITER m_objects;
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
}
