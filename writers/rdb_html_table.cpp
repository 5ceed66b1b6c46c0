#include "rdb_html_table.h"

#include <rapidjson/writer.h>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/rdb_cells.h>
#include "rdb_html_output.h"
#include <rdbxml/rdb_table.h>
#include "rdb_utf8.h"

namespace {

// A cell as the page shows it: its text (well-formed UTF-8, not yet
// escaped), whether it is a number (right-aligned) and its colours.
struct HTML_CELL {
    std::string text;
    bool present = false;
    bool numeric = false;
    bool missing_instance = false;
    unsigned foreground = RDB_NO_COLOR;
    unsigned background = RDB_NO_COLOR;

    bool is_plain_text() const
    {
        return !numeric && foreground == RDB_NO_COLOR && background == RDB_NO_COLOR;
    }
};

class HTML_CELL_FORMATTER : private RDB_TABLE_ELEMENT_VISITOR {
public:
    const HTML_CELL& format(const RDB_TABLE_ELEMENT* element)
    {
        m_cell.text.clear();
        m_cell.numeric = false;
        m_cell.missing_instance = false;
        m_cell.present = element != nullptr;
        m_cell.foreground = element != nullptr ? element->get_foreground() : RDB_NO_COLOR;
        m_cell.background = element != nullptr ? element->get_background() : RDB_NO_COLOR;
        if (element != nullptr)
            element->accept(*this);
        return m_cell;
    }

private:
    void visit(const RDB_TABLE_STRING_ELEMENT& cell) override
    {
        rdb_utf8_append_repaired(m_cell.text, cell.get_string().c_str(), cell.get_string().size());
    }
    void visit(const RDB_TABLE_INT_ELEMENT& cell) override
    {
        m_cell.text = std::to_string(cell.get_data());
        m_cell.numeric = true;
    }
    void visit(const RDB_TABLE_INAME_ELEMENT& cell) override
    {
        // The instance's path; the path as written, marked, when none resolved.
        m_cell.missing_instance = cell.get_iname() == nullptr;
        STL_STRING path = cell.get_iname() != nullptr ? cell.get_iname()->full_path()
                                                      : STL_STRING(cell.get_path().data(), cell.get_path().size());
        if (path.empty()) {
            m_cell.text = "\xE2\x80\x94";  // an em dash: no path to show
            return;
        }
        rdb_utf8_append_repaired(m_cell.text, path.c_str(), path.size());
    }
    void visit(const RDB_TABLE_DELAY_ELEMENT& cell) override
    {
        m_cell.text = rdb_format_delay(cell.get_delay(), cell.get_display_option());
        m_cell.numeric = true;
    }

    HTML_CELL m_cell;
};

void write_cell_markup(RDB_HTML_OUTPUT& out, const HTML_CELL& cell)
{
    out.raw("<td");
    if (!cell.present)
        out.raw(" class=\"none\"");
    else if (cell.numeric)
        out.raw(" class=\"num\"");
    else if (cell.missing_instance)
        out.raw(" class=\"none\" title=\"instance not in the hierarchy\"");
    if (cell.foreground != RDB_NO_COLOR || cell.background != RDB_NO_COLOR) {
        out.raw(" style=\"");
        if (cell.foreground != RDB_NO_COLOR)
            out.raw("color:").raw(rdb_html_color(cell.foreground)).raw(';');
        if (cell.background != RDB_NO_COLOR)
            out.raw("background-color:").raw(rdb_html_color(cell.background)).raw(';');
        out.raw('"');
    }
    out.raw('>').text(cell.text).raw("</td>");
}

// RapidJSON's view of the page: JSON text inside a <script> data block.
// '<', '>' and '&' only occur inside JSON strings, where their \u escapes
// mean the same, so no report text can close the block or open a comment.
class HTML_JSON_STREAM {
public:
    typedef char Ch;
    explicit HTML_JSON_STREAM(RDB_HTML_OUTPUT& out) : m_out(out) {}
    void Put(char c)
    {
        switch (c) {
        case '<': m_out.raw("\\u003c"); break;
        case '>': m_out.raw("\\u003e"); break;
        case '&': m_out.raw("\\u0026"); break;
        default: m_out.raw(c);
        }
    }
    void Flush() { m_out.flush_if_full(); }

private:
    RDB_HTML_OUTPUT& m_out;
};

typedef rapidjson::Writer<HTML_JSON_STREAM> HTML_JSON_WRITER;

void write_json_string(HTML_JSON_WRITER& json, const std::string& text)
{
    json.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

// A plain text cell is a string, an absent cell null, any other cell
// [text, numeric (0 or 1), foreground, background] with "" for no colour.
void write_cell_json(HTML_JSON_WRITER& json, const HTML_CELL& cell)
{
    if (!cell.present) {
        json.Null();
        return;
    }
    if (cell.is_plain_text() && !cell.missing_instance) {
        write_json_string(json, cell.text);
        return;
    }
    json.StartArray();
    write_json_string(json, cell.text);
    json.Int(cell.numeric ? 1 : 0);
    write_json_string(json, cell.foreground != RDB_NO_COLOR ? rdb_html_color(cell.foreground) : std::string());
    write_json_string(json, cell.background != RDB_NO_COLOR ? rdb_html_color(cell.background) : std::string());
    json.EndArray();
}

void write_data_block(RDB_HTML_OUTPUT& out, const RDB_TABLE_OBJECT& table, const std::string& id,
                      HTML_CELL_FORMATTER& formatter)
{
    out.raw("<script type=\"application/json\" id=\"").raw(id).raw("-data\">");
    HTML_JSON_STREAM stream(out);
    HTML_JSON_WRITER json(stream);
    json.StartArray();
    for (unsigned r = 0; r < table.get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW* row = table.get_row(r);
        json.StartArray();
        for (std::size_t c = 0; c < row->size(); ++c)
            write_cell_json(json, formatter.format((*row)[c]));
        json.EndArray();
        out.flush_if_full();
    }
    json.EndArray();
    out.raw("</script>\n");
}

}  // namespace

void rdb_html_write_rows(RDB_HTML_OUTPUT& out, const RDB_TABLE_OBJECT& table, const std::string& id,
                         const char* css_class)
{
    unsigned rows = table.get_number_of_rows();
    if (rows == 0) {
        out.raw("<p class=\"empty\">No rows.</p>\n");
        return;
    }
    bool paged = rows > RDB_HTML_PAGE_ROWS;
    HTML_CELL_FORMATTER formatter;
    if (paged) {
        out.raw("<div class=\"pager\" id=\"").raw(id).raw("-pager\">Rows 1\xE2\x80\x93").number(RDB_HTML_PAGE_ROWS);
        out.raw(" of ").number(rows).raw(".</div>\n");
    }
    out.raw("<div class=\"table-wrap\"><table class=\"cells ").raw(css_class).raw("\" id=\"").raw(id).raw('"');
    if (paged)
        out.raw(" data-rows=\"").number(rows).raw('"');
    out.raw("><tbody>\n");
    for (unsigned r = 0; r < rows && r < RDB_HTML_PAGE_ROWS; ++r) {
        const RDB_TABLE_ROW* row = table.get_row(r);
        out.raw("<tr>");
        for (std::size_t c = 0; c < row->size(); ++c)
            write_cell_markup(out, formatter.format((*row)[c]));
        out.raw("</tr>\n");
        out.flush_if_full();
    }
    out.raw("</tbody></table></div>\n");
    if (paged)
        write_data_block(out, table, id, formatter);
}
