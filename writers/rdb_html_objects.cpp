#include "rdb_html_objects.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_visitor.h>
#include "rdb_html_chart.h"
#include "rdb_html_output.h"
#include "rdb_html_table.h"

namespace {

std::string percent(double fraction)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f%%", 100 * fraction);
    return text;
}

// The label of an object's kind in its heading: the kind's name, or words
// for the kinds whose name reads badly.
class KIND_LABEL : private RDB_OBJECT_VISITOR {
public:
    static const char* of(const RDB_OBJECT& object)
    {
        KIND_LABEL label(object.get_kind());
        object.accept(label);
        return label.m_label;
    }

private:
    explicit KIND_LABEL(const char* kind) : m_label(kind) {}

    using RDB_OBJECT_VISITOR::visit;
    void visit(const RDB_LEGAL_OBJECT&) override { m_label = "legal notice"; }
    void visit(const RDB_TAN_SPD_TABLE_OBJECT&) override { m_label = "timing: speed"; }
    void visit(const RDB_TAN_SLACK_TABLE_OBJECT&) override { m_label = "timing: slack"; }

    const char* m_label;
};

// The body of each kind of object.
class HTML_OBJECT_WRITER : private RDB_OBJECT_VISITOR {
public:
    explicit HTML_OBJECT_WRITER(RDB_HTML_OUTPUT& out) : m_out(out) {}

    void write(const RDB_OBJECT& object, const std::string& id)
    {
        m_id = id;
        m_out.raw("<article class=\"object kind-").raw(object.get_kind());
        m_out.raw(object.is_enabled() ? "\"" : " disabled\"").raw(" id=\"").raw(id).raw("\">\n<h3>");
        rdb_html_write_name(m_out, object);
        m_out.raw("<span class=\"kind\">").raw(KIND_LABEL::of(object)).raw("</span>");
        rdb_html_write_head(m_out, object, "</h3>\n");
        object.accept(*this);
        rdb_html_write_footer(m_out, object);
        m_out.raw("</article>\n");
    }

private:
    using RDB_OBJECT_VISITOR::visit;

    void visit(const RDB_TEXT_OBJECT& object) override { write_text(object, "<div class=\"text\">"); }
    void visit(const RDB_LEGAL_OBJECT& object) override { write_text(object, "<div class=\"text legal\">"); }

    void write_text(const RDB_TEXT_OBJECT& object, const char* opening)
    {
        const STL_STRING* text = object.get_text();
        if (text == nullptr || text->empty()) {
            m_out.raw("<p class=\"empty\">No text.</p>\n");
            return;
        }
        m_out.raw(opening);
        write_paragraphs(text->c_str(), text->size());
        m_out.raw("</div>\n");
    }

    // Paragraphs are separated by blank lines; the line breaks inside one
    // are kept by the style sheet.
    void write_paragraphs(const char* text, std::size_t length)
    {
        std::size_t start = 0;
        while (start < length) {
            // The paragraph ends before the next blank line, or with the text.
            std::size_t end = length;
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
        m_out.raw("<dt>Type</dt><dd>").raw(rdb_embedded_type_name(object.get_embedded_type())).raw("</dd>");
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
        std::vector<RDB_CHART_POINT> points = object.get_points();
        m_out.raw("<p class=\"meta\">").number(static_cast<long>(points.size()));
        m_out.raw(points.size() == 1 ? " data point \xC2\xB7 " : " data points \xC2\xB7 ");
        m_out.raw(rdb_chart_type_name(object.get_default_chart_type())).raw(" chart</p>\n");
        rdb_html_write_chart(m_out, object, points);
        m_out.raw("<details class=\"data\"><summary>Data</summary>\n");
        rdb_html_write_points(m_out, points, m_id + "-t", "chart-data");
        m_out.raw("</details>\n");
    }

    // One line under the heading: the row count and the kind's settings.
    void table_meta(const RDB_TABLE_OBJECT& table, const std::string& settings)
    {
        unsigned rows = table.get_number_of_rows() - table.get_first_data_row();
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
    // to the bar); a percent gauge says that share as a percentage (one
    // whose range is empty, its value and range).
    void write_gauge(const RDB_GAUGES_DATA_ELEMENT& gauge)
    {
        // An empty range: the bar is full once the value reaches it.
        double share = 0;
        bool has_share = rdb_gauge_percent(gauge, share);
        double fraction = has_share ? share / 100 : (gauge.m_value >= gauge.m_max ? 1 : 0);
        fraction = std::min(1.0, std::max(0.0, fraction));
        m_out.raw(gauge.is_disabled() ? "<div class=\"gauge disabled\">" : "<div class=\"gauge\">");
        m_out.raw("<span class=\"gauge-name\">").text(gauge.get_name());
        if (gauge.is_disabled())
            m_out.raw("<span class=\"badge\">disabled</span>");
        m_out.raw("</span><div class=\"gauge-bar\" role=\"meter\" aria-valuemin=\"").number(gauge.m_min);
        m_out.raw("\" aria-valuemax=\"").number(gauge.m_max).raw("\" aria-valuenow=\"").number(gauge.m_value);
        m_out.raw("\"><div class=\"gauge-fill\" style=\"width:").raw(percent(fraction)).raw("\"></div></div>");
        m_out.raw("<span class=\"gauge-value\">");
        if (gauge.is_percent() && has_share)
            m_out.raw(rdb_gauge_shown(gauge));
        else
            m_out.number(gauge.m_value).raw(" (").number(gauge.m_min).raw("\xE2\x80\x93").number(gauge.m_max).raw(")");
        m_out.raw("</span></div>\n");
    }

    RDB_HTML_OUTPUT& m_out;
    std::string m_id;
};

}  // namespace

void rdb_html_write_name(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object)
{
    if (object.get_name().empty())
        out.raw("<span class=\"unnamed\">(unnamed)</span>");
    else
        out.text(object.get_name());
}

void rdb_html_write_head(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object, const char* heading_end)
{
    if (!object.is_enabled())
        out.raw("<span class=\"badge\">disabled</span>");
    out.raw(heading_end);
    if (!object.get_creator_module().empty())
        out.raw("<p class=\"meta\">Created by ").text(object.get_creator_module()).raw("</p>\n");
    if (const STL_STRING* header = object.get_header())
        out.raw("<p class=\"header\">").text(*header).raw("</p>\n");
}

void rdb_html_write_footer(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object)
{
    if (const STL_STRING* footer = object.get_footer())
        out.raw("<p class=\"footer\">").text(*footer).raw("</p>\n");
}

void rdb_html_write_object(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object, const std::string& id)
{
    HTML_OBJECT_WRITER(out).write(object, id);
}
