#include <rdbxml/rdb_text_writer.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/rdb_report.h>
#include "rdb_utf8.h"
#include <rdbxml/rdb_walk.h>

namespace {

const std::size_t MAX_INDENT_LEVELS = 32;

// Appends `text` for a terminal: control characters, DEL and ill-formed
// UTF-8 bytes escaped C-style; quotes and backslashes too when `quoted`.
void append_escaped(std::string& out, const char* text, std::size_t length, bool quoted)
{
    std::size_t at = 0;
    while (at < length) {
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            std::size_t consumed;
            if (rdb_utf8_scan(text + at, length - at, consumed)) {
                out.append(text + at, consumed);
                at += consumed;
                continue;
            }
        }
        ++at;
        char escape[5];
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '"':
        case '\\':
            if (quoted)
                out += '\\';
            out += static_cast<char>(c);
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                std::snprintf(escape, sizeof(escape), "\\x%02x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
}

void append_quoted(std::string& out, const STL_STRING& text)
{
    out += '"';
    append_escaped(out, text.c_str(), text.size(), true);
    out += '"';
}

// Characters on screen of escaped (so well-formed) text: one per code point.
std::size_t display_width(const std::string& text)
{
    std::size_t width = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++width;
    return width;
}

const char* name_or_unknown(const char* name) { return name != nullptr ? name : "?"; }

// One cell as its column shows it.
class TEXT_CELL_RENDERER : public RDB_TABLE_ELEMENT_VISITOR {
public:
    // Fills `out` with the cell's text; true when it is a number, which is
    // right-aligned.
    bool render(const RDB_TABLE_ELEMENT* cell, std::string& out)
    {
        out.clear();
        m_out = &out;
        m_numeric = false;
        if (cell == nullptr)
            out = "-";
        else
            cell->accept(*this);
        return m_numeric;
    }

    void visit(const RDB_TABLE_STRING_ELEMENT& cell) override
    {
        append_escaped(*m_out, cell.get_string().c_str(), cell.get_string().size(), false);
    }
    void visit(const RDB_TABLE_INT_ELEMENT& cell) override
    {
        *m_out = std::to_string(cell.get_data());
        m_numeric = true;
    }
    void visit(const RDB_TABLE_INAME_ELEMENT& cell) override
    {
        // The instance's path; the path as written when none resolved.
        STL_STRING path = cell.get_iname() != nullptr ? cell.get_iname()->full_path()
                                                      : STL_STRING(cell.get_path().data(), cell.get_path().size());
        if (path.empty()) {
            *m_out = "-";
            return;
        }
        append_escaped(*m_out, path.c_str(), path.size(), false);
    }
    void visit(const RDB_TABLE_DELAY_ELEMENT& cell) override
    {
        *m_out = rdb_format_delay(cell.get_delay(), cell.get_display_option());
        m_numeric = true;
    }

private:
    std::string* m_out = nullptr;
    bool m_numeric = false;
};

class TEXT_WRITER : public RDB_FOLDER_WALK_HANDLER, private RDB_OBJECT_VISITOR {
public:
    explicit TEXT_WRITER(std::ostream& out) : m_out(out) {}

    void write_line(const std::string& text) { m_out << text << '\n'; }

    void enter_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) override
    {
        write_heading(folder, depth);
    }
    void leave_folder(const RDB_FOLDER_OBJECT&, std::size_t) override {}

    void leaf(const RDB_OBJECT& object, std::size_t depth) override
    {
        write_heading(object, depth);
        m_depth = depth + 1;
        object.accept(*this);
    }

private:
    using RDB_OBJECT_VISITOR::visit;

    // A new line at `depth`.
    std::string& line(std::size_t depth)
    {
        m_line.clear();
        m_line.append(2 * std::min(depth, MAX_INDENT_LEVELS), ' ');
        if (depth > MAX_INDENT_LEVELS)
            m_line += "(level " + std::to_string(depth) + ") ";
        return m_line;
    }
    void flush_line() { write_line(m_line); }

    void write_heading(const RDB_OBJECT& object, std::size_t depth)
    {
        std::string& text = line(depth);
        text += object.get_kind();
        text += ' ';
        append_quoted(text, object.get_name());
        if (!object.get_creator_module().empty()) {
            text += " creator ";
            append_quoted(text, object.get_creator_module());
        }
        if (!object.is_enabled())
            text += " [disabled]";
        flush_line();
        write_labelled(depth + 1, "header", object.get_header());
        write_labelled(depth + 1, "footer", object.get_footer());
    }

    void write_labelled(std::size_t depth, const char* label, const STL_STRING* text)
    {
        if (text == nullptr)
            return;
        std::string& out = line(depth);
        out += label;
        out += ": ";
        append_quoted(out, *text);
        flush_line();
    }

    void visit(const RDB_TEXT_OBJECT& object) override
    {
        if (object.get_text() != nullptr) {
            write_labelled(m_depth, "text", object.get_text());
        } else {
            line(m_depth) += "text: none";
            flush_line();
        }
    }

    void visit(const RDB_EMBEDDED_OBJECT& object) override
    {
        embedded_settings(object);
        flush_line();
    }

    void visit(const RDB_WAVEFORM_OBJECT& object) override
    {
        embedded_settings(object);
        m_line += ", source vector ";
        append_quoted(m_line, object.get_source_vector_file_name());
        m_line += ", result vector ";
        append_quoted(m_line, object.get_result_vector_file_name());
        m_line += object.get_compare_mode() ? ", compare on" : ", compare off";
        flush_line();
    }

    void visit(const RDB_GAUGES_OBJECT& object) override
    {
        line(m_depth);
        append_gauges(object);
        flush_line();
    }

    void visit(const RDB_TABLE_OBJECT& object) override
    {
        table_settings(object);
        flush_line();
        write_rows(object);
    }

    void visit(const RDB_TAN_SPD_TABLE_OBJECT& object) override
    {
        table_settings(object);
        m_line += object.get_show_min() ? ", show min: yes" : ", show min: no";
        flush_line();
        write_rows(object);
    }

    void visit(const RDB_TAN_SLACK_TABLE_OBJECT& object) override
    {
        table_settings(object);
        m_line += ", analysis type " + std::to_string(object.get_analysis_type()) + ", columns {";
        m_line += rdb_column_ids_text(object);
        m_line += '}';
        if (object.has_restricted_to())
            m_line += ", restricted to " + std::to_string(object.get_restricted_to());
        else
            m_line += ", not restricted";
        flush_line();
        write_rows(object);
    }

    void visit(const RDB_SUMMARY_TABLE_OBJECT& object) override
    {
        table_settings(object);
        flush_line();
        if (const RDB_GAUGES_OBJECT* gauges = object.get_gauges()) {
            std::string& text = line(m_depth);
            text += "gauges ";
            append_quoted(text, gauges->get_name());
            text += ", ";
            append_gauges(*gauges);
            flush_line();
        }
        write_rows(object);
    }

    // A chart's rows are its data points: one compact line of
    // label=value pairs. Rows of nothing but empty strings (the heading row
    // every chart starts with) are left out.
    void visit(const RDB_CHART_TABLE_OBJECT& object) override
    {
        table_settings(object);
        m_line += ", size " + std::to_string(object.get_size()) + ", chart type ";
        m_line += name_or_unknown(
            rdb_get_string_by_rdb_chart_table_object_chart_types_enum(object.get_default_chart_type()));
        m_line += ", x axis ";
        append_quoted(m_line, object.get_x_axis());
        m_line += ", y axis ";
        append_quoted(m_line, object.get_y_axis());
        m_line += object.get_display_labels() ? ", labels shown" : ", labels hidden";
        flush_line();

        std::string& text = line(m_depth);
        text += "data:";
        const char* separator = " ";
        std::string cell_text;
        for (unsigned r = 0; r < object.get_number_of_rows(); ++r) {
            const RDB_TABLE_ROW* row = object.get_row(r);
            if (rdb_is_blank_row(*row))
                continue;
            text += separator;
            for (std::size_t c = 0; c < row->size(); ++c) {
                if (c > 0)
                    text += '=';
                m_cells.render((*row)[c], cell_text);
                text += cell_text;
            }
            separator = ", ";
        }
        if (*separator == ' ')
            text += " none";
        flush_line();
    }

    void embedded_settings(const RDB_EMBEDDED_OBJECT& object)
    {
        std::string& text = line(m_depth);
        text += "embedded type ";
        text += name_or_unknown(rdb_get_string_by_rdb_embedded_object_embedded_type_enum(object.get_embedded_type()));
        text += ", info ";
        append_quoted(text, object.get_info_str());
    }

    // Starts the settings line every table has; the caller adds its own.
    void table_settings(const RDB_TABLE_OBJECT& table)
    {
        std::string& text = line(m_depth);
        text += "object type " + std::to_string(table.get_object_type());
        text += table.get_last_cmp_flp_location_available() ? ", last cmp/flp location available: yes"
                                                            : ", last cmp/flp location available: no";
        unsigned rows = table.get_number_of_rows();
        text += ", " + std::to_string(rows) + (rows == 1 ? " row" : " rows");
    }

    void append_gauges(const RDB_GAUGES_OBJECT& gauges)
    {
        m_line += "size " + std::to_string(gauges.get_size()) + ":";
        const char* separator = " ";
        for (unsigned i = 0; i < gauges.get_number_of_slots(); ++i) {
            const RDB_GAUGES_DATA_ELEMENT* gauge = gauges.get_data_at(i);
            if (gauge == nullptr)
                continue;
            m_line += separator;
            m_line += '#' + std::to_string(i) + ' ';
            append_quoted(m_line, gauge->get_name());
            m_line += ' ' + std::to_string(gauge->m_min) + ".." + std::to_string(gauge->m_max) + " = " +
                      std::to_string(gauge->m_value);
            if (gauge->is_percent())
                m_line += '%';
            if (gauge->is_disabled())
                m_line += " [disabled]";
            separator = ", ";
        }
        if (*separator == ' ')
            m_line += " no gauges";
    }

    // The rows as aligned columns: a first pass finds each column's width,
    // a second writes the rows.
    void write_rows(const RDB_TABLE_OBJECT& table)
    {
        unsigned rows = table.get_number_of_rows();
        std::vector<std::size_t> widths;
        std::string cell_text;
        for (unsigned r = 0; r < rows; ++r) {
            const RDB_TABLE_ROW* row = table.get_row(r);
            if (row->size() > widths.size())
                widths.resize(row->size(), 0);
            for (std::size_t c = 0; c < row->size(); ++c) {
                m_cells.render((*row)[c], cell_text);
                widths[c] = std::max(widths[c], display_width(cell_text));
            }
        }
        for (unsigned r = 0; r < rows; ++r) {
            const RDB_TABLE_ROW* row = table.get_row(r);
            std::string& text = line(m_depth);
            for (std::size_t c = 0; c < row->size(); ++c) {
                bool numeric = m_cells.render((*row)[c], cell_text);
                std::size_t padding = widths[c] - display_width(cell_text);
                if (c > 0)
                    text += "  ";
                if (numeric)
                    text.append(padding, ' ');
                text += cell_text;
                if (!numeric && c + 1 < row->size())
                    text.append(padding, ' ');
            }
            flush_line();
        }
    }

    std::ostream& m_out;
    std::string m_line;
    std::size_t m_depth = 0;
    TEXT_CELL_RENDERER m_cells;
};

}  // namespace

void rdb_write_text(const RDB_REPORT* report, std::ostream& out)
{
    if (report == nullptr) {
        out << "no report\n";
        return;
    }
    std::string heading = "report";
    heading += report->get_main_folder() != nullptr ? "" : ", no main folder";
    if (const RDB_FOLDER_OBJECT* current = report->get_current_folder()) {
        heading += ", current folder ";
        append_quoted(heading, current->get_name());
    } else {
        heading += ", no current folder";
    }
    TEXT_WRITER writer(out);
    writer.write_line(heading);
    if (const RDB_FOLDER_OBJECT* main_folder = report->get_main_folder())
        rdb_walk_folder_tree(*main_folder, writer);
}
