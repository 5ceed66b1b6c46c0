#include <rdbxml/rdb_text_writer.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_rule.h>
#include "rdb_text_escape.h"
#include "rdb_text_grid.h"

namespace {

const std::size_t MAX_INDENT_LEVELS = 32;
// The longest bar of a chart, in characters.
const int CHART_BAR_WIDTH = 40;

class TEXT_WRITER : public RDB_FOLDER_WALK_HANDLER, private RDB_OBJECT_VISITOR {
public:
    TEXT_WRITER(std::ostream& out, RDB_TEXT_DETAIL detail) : m_out(out), m_settings(detail == RDB_TEXT_WITH_SETTINGS)
    {
    }

    void write_line(const std::string& text) { m_out << text << '\n'; }

    void enter_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) override
    {
        m_depth = depth;
        heading(folder, "folder");
    }
    void leave_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) override
    {
        m_depth = depth;
        footer(folder);
    }

    void leaf(const RDB_OBJECT& object, std::size_t depth) override
    {
        m_depth = depth;
        object.accept(*this);
    }

private:
    using RDB_OBJECT_VISITOR::visit;

    // A new line at `depth`.
    std::string& line(std::size_t depth)
    {
        m_line.clear();
        indent(m_line, depth);
        return m_line;
    }
    static void indent(std::string& text, std::size_t depth)
    {
        text.append(2 * std::min(depth, MAX_INDENT_LEVELS), ' ');
        if (depth > MAX_INDENT_LEVELS)
            text += "(level " + std::to_string(depth) + ") ";
    }
    void flush_line() { write_line(m_line); }

    // The object's first line: its kind and name, what kind of chart or
    // embedded object in parentheses, [disabled] when disabled; then its
    // header.
    void heading(const RDB_OBJECT& object, const char* kind, const char* detail = nullptr)
    {
        std::string& text = line(m_depth);
        text += kind;
        text += ' ';
        rdb_text_append_quoted(text, object.get_name().view());
        if (detail != nullptr) {
            text += " (";
            text += detail;
            text += ')';
        }
        if (!object.is_enabled())
            text += " [disabled]";
        if (m_settings && !object.get_creator_module().empty()) {
            text += " creator ";
            rdb_text_append_quoted(text, object.get_creator_module().view());
        }
        flush_line();
        labelled("header", object.get_header());
    }
    void footer(const RDB_OBJECT& object) { labelled("footer", object.get_footer()); }

    void labelled(const char* label, const STL_STRING* text)
    {
        if (text == nullptr)
            return;
        std::string& out = line(m_depth + 1);
        out += label;
        out += ": ";
        rdb_text_append_escaped(out, text->view(), false);
        flush_line();
    }

    // A text as its lines, each escaped.
    void body(std::string_view text)
    {
        while (true) {
            std::size_t end = text.find('\n');
            std::string& out = line(m_depth + 1);
            rdb_text_append_escaped(out, text.substr(0, end), false);
            flush_line();
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
    }

    // The internal fields, with --verbose only.
    std::string& settings_line()
    {
        std::string& text = line(m_depth + 1);
        text += "settings: ";
        return text;
    }
    void table_settings(const RDB_TABLE_OBJECT& table)
    {
        std::string& text = settings_line();
        text += "object type " + std::to_string(table.get_object_type());
        text += table.get_last_cmp_flp_location_available() ? ", last cmp/flp location available: yes"
                                                            : ", last cmp/flp location available: no";
        unsigned rows = table.get_number_of_rows();
        text += ", " + std::to_string(rows) + (rows == 1 ? " row" : " rows");
    }

    void visit(const RDB_OBJECT& object) override
    {
        heading(object, object.get_kind());
        footer(object);
    }

    void visit(const RDB_TEXT_OBJECT& object) override { text_object(object, "text"); }
    void visit(const RDB_LEGAL_OBJECT& object) override { text_object(object, "legal notice"); }
    void text_object(const RDB_TEXT_OBJECT& object, const char* kind)
    {
        heading(object, kind);
        if (object.get_text() != nullptr) {
            body(object.get_text()->view());
        } else if (m_settings) {
            settings_line() += "no text";
            flush_line();
        }
        footer(object);
    }

    void visit(const RDB_EMBEDDED_OBJECT& object) override
    {
        embedded(object, "embedded");
        footer(object);
    }

    void visit(const RDB_WAVEFORM_OBJECT& object) override
    {
        embedded(object, "waveform");
        file("source vectors: ", object.get_source_vector_file_name());
        file("result vectors: ", object.get_result_vector_file_name());
        line(m_depth + 1) += object.get_compare_mode() ? "compared with the result vectors" : "not compared";
        flush_line();
        footer(object);
    }

    void file(const char* label, const STL_STRING& name)
    {
        if (name.empty())
            return;
        std::string& text = line(m_depth + 1);
        text += label;
        rdb_text_append_escaped(text, name.view(), false);
        flush_line();
    }

    void embedded(const RDB_EMBEDDED_OBJECT& object, const char* kind)
    {
        heading(object, kind,
                rdb_embedded_type_name(object.get_embedded_type()));
        if (!object.get_info_str().empty())
            body(object.get_info_str().view());
    }

    void visit(const RDB_GAUGES_OBJECT& object) override
    {
        heading(object, "gauges");
        gauges(object);
        footer(object);
    }

    void visit(const RDB_TABLE_OBJECT& object) override
    {
        table_object(object, "table", [](std::string&) {});
        footer(object);
    }

    void visit(const RDB_TAN_SPD_TABLE_OBJECT& object) override
    {
        table_object(object, "speed table",
                     [&](std::string& text) { text += object.get_show_min() ? ", show min: yes" : ", show min: no"; });
        footer(object);
    }

    void visit(const RDB_TAN_SLACK_TABLE_OBJECT& object) override
    {
        table_object(object, "slack table", [&](std::string& text) {
            text += ", analysis type " + std::to_string(object.get_analysis_type()) + ", columns {";
            text += rdb_column_ids_text(object);
            text += '}';
            if (object.has_restricted_to())
                text += ", restricted to " + std::to_string(object.get_restricted_to());
            else
                text += ", not restricted";
        });
        footer(object);
    }

    // A summary: its rows of names and texts, then its gauges.
    void visit(const RDB_SUMMARY_TABLE_OBJECT& object) override
    {
        table_object(object, "summary", [](std::string&) {});
        if (const RDB_GAUGES_OBJECT* gauges = object.get_gauges())
            this->gauges(*gauges);
        footer(object);
    }

    // The heading, with RDB_TEXT_WITH_SETTINGS the settings line (the kind's
    // own fields added by `settings`), and the rows.
    template <typename SETTINGS>
    void table_object(const RDB_TABLE_OBJECT& table, const char* kind, SETTINGS&& settings)
    {
        heading(table, kind);
        if (m_settings) {
            table_settings(table);
            settings(m_line);
            flush_line();
        }
        rows(table);
    }

    // A chart as a person reads it: one line per data point, its label, its
    // value and, when no value is negative, a bar; the axis labels are the
    // column titles.
    void visit(const RDB_CHART_TABLE_OBJECT& object) override
    {
        heading(object, "chart",
                rdb_chart_type_name(object.get_default_chart_type()));
        if (m_settings) {
            table_settings(object);
            m_line += ", size " + std::to_string(object.get_size());
            m_line += object.get_display_labels() ? ", labels shown" : ", labels hidden";
            flush_line();
        }
        std::vector<RDB_CHART_POINT> points = object.get_points();
        if (points.empty()) {
            line(m_depth + 1) += "no data";
            flush_line();
            footer(object);
            return;
        }
        int most = 0;
        bool bars = true;
        for (const RDB_CHART_POINT& point : points) {
            most = std::max(most, point.value);
            bars = bars && point.value >= 0;
        }
        bars = bars && most > 0;
        bool titles = !object.get_x_axis().empty() || !object.get_y_axis().empty();
        auto render = [&](std::size_t r, RDB_TEXT_ROW& row) {
            if (titles && r == 0) {
                row.start(true);
                rdb_text_append_escaped(row.add_cell(false), object.get_x_axis().view(), false);
                rdb_text_append_escaped(row.add_cell(false), object.get_y_axis().view(), false);
                return;
            }
            const RDB_CHART_POINT& point = points[r - (titles ? 1 : 0)];
            row.start();
            rdb_text_append_escaped(row.add_cell(false), point.label, false);
            row.add_cell(true) = std::to_string(point.value);
            if (bars)
                row.add_cell(false).assign(
                    static_cast<std::size_t>((static_cast<long long>(point.value) * CHART_BAR_WIDTH + most / 2) / most),
                    '#');
        };
        grid(points.size() + (titles ? 1 : 0), render);
        footer(object);
    }

    // A table's rows as aligned columns, the heading row underlined; "-"
    // for a missing cell and for an instance name with no path.
    void rows(const RDB_TABLE_OBJECT& table)
    {
        auto render = [&](std::size_t r, RDB_TEXT_ROW& row) {
            const RDB_TABLE_ROW& cells = *table.get_row(static_cast<unsigned>(r));
            row.start(table.is_heading_row(static_cast<unsigned>(r)));
            for (const RDB_TABLE_ELEMENT* cell : cells) {
                std::string& text = row.add_cell(cell != nullptr && rdb_cell_is_numeric(*cell));
                if (cell != nullptr) {
                    m_cell.clear();
                    rdb_append_cell_text(m_cell, *cell);
                    rdb_text_append_escaped(text, m_cell, false);
                }
                if (text.empty() && (cell == nullptr || cell->get_cell_kind() == RDB_CELL_INAME))
                    text = "-";
            }
        };
        grid(table.get_number_of_rows(), render);
    }

    // Each gauge: its name, its value (a percent gauge: where the value
    // stands in its range, as a percent, when the range is not empty), its
    // range, and [disabled] when disabled.
    void gauges(const RDB_GAUGES_OBJECT& gauges)
    {
        std::vector<const RDB_GAUGES_DATA_ELEMENT*> used;
        std::vector<unsigned> slots;
        for (unsigned i = 0; i < gauges.get_number_of_slots(); ++i)
            if (const RDB_GAUGES_DATA_ELEMENT* gauge = gauges.get_data_at(i)) {
                used.push_back(gauge);
                slots.push_back(i);
            }
        // A summary's gauges are a part of it: their object's name is the
        // file format's, not the report's, and is not shown.
        std::string& title = line(m_depth + 1);
        title += "gauges";
        if (m_settings)
            title += ", size " + std::to_string(gauges.get_size());
        title += used.empty() ? ": none" : ":";
        flush_line();
        auto render = [&](std::size_t r, RDB_TEXT_ROW& row) {
            const RDB_GAUGES_DATA_ELEMENT& gauge = *used[r];
            row.start();
            if (m_settings)
                row.add_cell(false) = '#' + std::to_string(slots[r]);
            rdb_text_append_escaped(row.add_cell(false), gauge.get_name().view(), false);
            row.add_cell(true) = rdb_gauge_shown(gauge);
            std::string& range = row.add_cell(false);
            range = "(" + std::to_string(gauge.get_min()) + " to " + std::to_string(gauge.get_max()) + ")";
            if (gauge.is_disabled())
                range += " [disabled]";
        };
        ++m_depth;
        grid(used.size(), render);
        --m_depth;
    }

    template <typename RENDER>
    void grid(std::size_t rows, RENDER&& render)
    {
        std::string prefix;
        indent(prefix, m_depth + 1);
        RDB_TEXT_GRID().write(rows, render, prefix, [this](const std::string& text) { write_line(text); });
    }

    std::ostream& m_out;
    bool m_settings;
    std::string m_line;
    std::string m_cell;
    std::size_t m_depth = 0;
};

}  // namespace

void rdb_write_text(const RDB_REPORT* report, std::ostream& out) { rdb_write_text(report, out, RDB_TEXT_FOR_PEOPLE); }

void rdb_write_text(const RDB_REPORT* report, std::ostream& out, RDB_TEXT_DETAIL detail)
{
    if (report == nullptr) {
        out << "no report\n";
        return;
    }
    TEXT_WRITER writer(out, detail);
    if (detail == RDB_TEXT_WITH_SETTINGS) {
        std::string heading = "report";
        heading += report->get_main_folder() != nullptr ? "" : ", no main folder";
        if (const RDB_FOLDER_OBJECT* current = report->get_current_folder()) {
            heading += ", current folder ";
            rdb_text_append_quoted(heading, current->get_name().view());
        } else {
            heading += ", no current folder";
        }
        writer.write_line(heading);
    }
    if (const RDB_FOLDER_OBJECT* main_folder = report->get_main_folder())
        rdb_walk_folder_tree(*main_folder, writer);
    else if (detail == RDB_TEXT_FOR_PEOPLE)
        writer.write_line("no main folder");
}
