#include "rdb_html_table.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>

#include <rapidjson/writer.h>

#include <rdbxml/rdb_cells.h>
#include <rdbxml/rdb_table.h>
#include "rdb_html_contrast.h"
#include "rdb_html_output.h"
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
    std::string css_class;  // the writer's own classes (RDB_HTML_CELL)
};

// A cell as the page shows it: the text every writer shows
// (rdb_append_cell_text), repaired to well-formed UTF-8; an instance name
// without an instance is marked, and one without any path shows a dash.
class HTML_CELL_FORMATTER {
public:
    const HTML_CELL& format(const RDB_TABLE_ELEMENT* element)
    {
        m_cell.text.clear();
        m_cell.present = element != nullptr;
        m_cell.numeric = false;
        m_cell.missing_instance = false;
        m_cell.foreground = element != nullptr ? element->get_foreground() : RDB_NO_COLOR;
        m_cell.background = element != nullptr ? element->get_background() : RDB_NO_COLOR;
        rdb_html_readable_colors(m_cell.foreground, m_cell.background);
        if (element == nullptr)
            return m_cell;
        rdb_append_cell_text(m_cell.text, *element);
        m_cell.numeric = rdb_cell_is_numeric(*element);
        if (element->get_cell_kind() == RDB_CELL_INAME) {
            m_cell.missing_instance = static_cast<const RDB_TABLE_INAME_ELEMENT*>(element)->get_iname() == nullptr;
            if (m_cell.text.empty())
                m_cell.text = "\xE2\x80\x94";  // an em dash: no path to show
        }
        repair(m_cell.text);
        return m_cell;
    }

    // A cell of a chart's data table: a point's label, or its value.
    const HTML_CELL& label(std::string_view text)
    {
        plain();
        rdb_utf8_append_repaired(m_cell.text, text.data(), text.size());
        return m_cell;
    }
    const HTML_CELL& value(int value)
    {
        plain();
        m_cell.text = std::to_string(value);
        m_cell.numeric = true;
        return m_cell;
    }

    // A cell of rows that are not a report's table.
    const HTML_CELL& cell(const RDB_HTML_CELL& cell)
    {
        plain();
        rdb_utf8_append_repaired(m_cell.text, cell.m_text.data(), cell.m_text.size());
        m_cell.numeric = cell.m_numeric;
        m_cell.css_class = cell.m_class;
        return m_cell;
    }

private:
    void plain()
    {
        m_cell = HTML_CELL();
        m_cell.present = true;
    }

    void repair(std::string& text)
    {
        if (rdb_utf8_is_valid(text.data(), text.size()))
            return;
        m_repaired.clear();
        rdb_utf8_append_repaired(m_repaired, text.data(), text.size());
        text.swap(m_repaired);
    }

    HTML_CELL m_cell;
    std::string m_repaired;
};

// `tag` is "td" for a data cell, "th" for a heading cell: both look the same.
void write_cell_markup(RDB_HTML_OUTPUT& out, const HTML_CELL& cell, const char* tag = "td")
{
    out.raw('<').raw(tag);
    const char* own = !cell.present || (!cell.numeric && cell.missing_instance) ? "none" : cell.numeric ? "num" : "";
    if (*own != 0 || !cell.css_class.empty()) {
        out.raw(" class=\"").raw(own);
        if (*own != 0 && !cell.css_class.empty())
            out.raw(' ');
        out.raw(cell.css_class).raw('"');
    }
    if (cell.present && !cell.numeric && cell.missing_instance)
        out.raw(" title=\"instance not in the hierarchy\"");
    if (cell.foreground != RDB_NO_COLOR || cell.background != RDB_NO_COLOR) {
        out.raw(" style=\"");
        if (cell.foreground != RDB_NO_COLOR)
            out.raw("color:").raw(rdb_rgb_color_text(cell.foreground)).raw(';');
        if (cell.background != RDB_NO_COLOR)
            out.raw("background-color:").raw(rdb_rgb_color_text(cell.background)).raw(';');
        out.raw('"');
    }
    out.raw('>').text(cell.text).raw("</").raw(tag).raw('>');
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
    // The sink hands its buffer on by itself as it fills.
    void Flush() {}

private:
    RDB_HTML_OUTPUT& m_out;
};

typedef rapidjson::Writer<HTML_JSON_STREAM> HTML_JSON_WRITER;

void write_json_string(HTML_JSON_WRITER& json, const std::string& text)
{
    json.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

// Whether `text` is what the page's script prints for the JSON number of
// the same digits (String(n)): an integer with no sign but a minus, no
// leading zero, and few enough digits to be exact in a double.
bool is_exact_json_integer(const std::string& text)
{
    std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == digits || text.size() - digits > 15 || (text[digits] == '0' && text.size() > digits + 1))
        return false;
    if (text == "-0")
        return false;
    for (std::size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// A cell's text: a JSON number when it reads back the same, else a string.
void write_cell_text_json(HTML_JSON_WRITER& json, const std::string& text)
{
    if (is_exact_json_integer(text))
        json.RawValue(text.data(), text.size(), rapidjson::kNumberType);
    else
        write_json_string(json, text);
}

// The cell styles of a data block (kind, colours and the writer's own
// classes), each written once and named by its index: a long report's
// cells are mostly coloured, and its page mostly these cells.
class HTML_CELL_STYLES {
public:
    // The index of the style of `cell`, added when new.
    unsigned index_of(const HTML_CELL& cell)
    {
        std::uint64_t kind = cell.numeric ? 1 : cell.missing_instance ? 2 : 0;
        std::uint64_t key = kind << 50 | std::uint64_t(colour_key(cell.foreground)) << 25 | colour_key(cell.background);
        if (!cell.css_class.empty()) {
            // Few: a writer's classes come from a short list of its own.
            auto found = m_classed.emplace(std::make_pair(key, cell.css_class), static_cast<unsigned>(m_styles.size()));
            if (found.second)
                m_styles.push_back({key, &found.first->first.second});
            return found.first->second;
        }
        auto found = m_index.emplace(key, static_cast<unsigned>(m_styles.size()));
        if (found.second)
            m_styles.push_back({key, nullptr});
        return found.first->second;
    }

    // [[kind, foreground, background (, classes)], ...], colours as
    // "#rrggbb" or "".
    template <class WRITER>
    void write(WRITER& json) const
    {
        json.StartArray();
        for (const STYLE& style : m_styles) {
            json.StartArray();
            json.Int(static_cast<int>(style.key >> 50));
            write_colour(json, static_cast<unsigned>(style.key >> 25 & 0x1FFFFFFu));
            write_colour(json, static_cast<unsigned>(style.key & 0x1FFFFFFu));
            if (style.classes != nullptr)
                json.String(style.classes->data(), static_cast<rapidjson::SizeType>(style.classes->size()));
            json.EndArray();
        }
        json.EndArray();
    }

private:
    // 0xRRGGBB, or 1 << 24 for none.
    static unsigned colour_key(unsigned colour) { return colour != RDB_NO_COLOR ? colour & 0xFFFFFFu : 1u << 24; }

    template <class WRITER>
    static void write_colour(WRITER& json, unsigned key)
    {
        std::string text = key < 1u << 24 ? rdb_rgb_color_text(key) : std::string();
        json.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    }

    struct STYLE {
        std::uint64_t key;
        const std::string* classes;  // in m_classed's key; null for none
    };

    std::unordered_map<std::uint64_t, unsigned> m_index;
    std::map<std::pair<std::uint64_t, std::string>, unsigned> m_classed;
    std::vector<STYLE> m_styles;
};

// The data block's cells, as short as they can be (page_core.js reads them
// back through cell_text, cell_kind and cell_colors):
//   null          no cell
//   "text"        a plain text cell
//   123           a numeric cell without colours showing exactly "123"
//   [text]        any other numeric cell without colours ("-120 ps")
//   [text, style] any other cell (one with classes of the writer's own
//                 too): text a string or a number as above, style an
//                 index into the block's styles
void write_cell_json(HTML_JSON_WRITER& json, HTML_CELL_STYLES& styles, const HTML_CELL& cell)
{
    if (!cell.present) {
        json.Null();
        return;
    }
    bool coloured = cell.foreground != RDB_NO_COLOR || cell.background != RDB_NO_COLOR;
    bool classes = !cell.css_class.empty();
    if (!coloured && !classes && !cell.numeric && !cell.missing_instance) {
        write_json_string(json, cell.text);
        return;
    }
    if (!coloured && !classes && cell.numeric && is_exact_json_integer(cell.text)) {
        json.RawValue(cell.text.data(), cell.text.size(), rapidjson::kNumberType);
        return;
    }
    json.StartArray();
    write_cell_text_json(json, cell.text);
    if (coloured || classes || !cell.numeric)
        json.Uint(styles.index_of(cell));
    json.EndArray();
}

// Writes `rows` rows: `row_cells(r, each)` calls `each` with every cell of
// row r, in order. The block is {"rows": [...], "styles": [...]}.
template <class ROW_CELLS>
void write_data_block(RDB_HTML_OUTPUT& out, unsigned rows, const std::string& id, ROW_CELLS& row_cells)
{
    out.raw("<script type=\"application/json\" id=\"").raw(id).raw("-data\">");
    HTML_JSON_STREAM stream(out);
    HTML_JSON_WRITER json(stream);
    HTML_CELL_STYLES styles;
    json.StartObject();
    json.Key("rows");
    json.StartArray();
    for (unsigned r = 0; r < rows; ++r) {
        json.StartArray();
        row_cells(r, [&json, &styles](const HTML_CELL& cell) { write_cell_json(json, styles, cell); });
        json.EndArray();
    }
    json.EndArray();
    json.Key("styles");
    styles.write(json);
    json.EndObject();
    out.raw("</script>\n");
}

template <class HEADING, class ROW_CELLS>
void write_rows(RDB_HTML_OUTPUT& out, bool has_heading, HEADING heading, unsigned rows, const std::string& id,
                const char* css_class, ROW_CELLS row_cells)
{
    if (rows == 0 && !has_heading) {
        out.raw("<p class=\"empty\">No rows.</p>\n");
        return;
    }
    bool paged = rows > RDB_HTML_PAGE_ROWS;
    if (paged) {
        out.raw("<div class=\"pager\" id=\"").raw(id).raw("-pager\">Rows 1\xE2\x80\x93").number(RDB_HTML_PAGE_ROWS);
        out.raw(" of ").number(rows).raw(".</div>\n");
    }
    out.raw("<div class=\"table-wrap\"><table class=\"cells ").raw(css_class).raw("\" id=\"").raw(id).raw('"');
    if (paged)
        out.raw(" data-rows=\"").number(rows).raw('"');
    out.raw('>');
    if (has_heading) {
        out.raw("<thead><tr>");
        heading([&out](const HTML_CELL& cell) { write_cell_markup(out, cell, "th"); });
        out.raw("</tr></thead>");
    }
    out.raw("<tbody>\n");
    for (unsigned r = 0; r < rows && r < RDB_HTML_PAGE_ROWS; ++r) {
        out.raw("<tr>");
        row_cells(r, [&out](const HTML_CELL& cell) { write_cell_markup(out, cell); });
        out.raw("</tr>\n");
    }
    out.raw("</tbody></table></div>\n");
    if (rows == 0)
        out.raw("<p class=\"empty\">No data rows.</p>\n");
    if (paged)
        write_data_block(out, rows, id, row_cells);
}

}  // namespace

void rdb_html_write_rows(RDB_HTML_OUTPUT& out, const RDB_TABLE_OBJECT& table, const std::string& id,
                         const char* css_class)
{
    HTML_CELL_FORMATTER formatter;
    unsigned first = table.get_first_data_row();
    auto cells_of = [&](unsigned r, auto each) {
        for (const RDB_TABLE_ELEMENT* cell : *table.get_row(r))
            each(formatter.format(cell));
    };
    write_rows(
        out, first > 0, [&](auto each) { cells_of(0, each); }, table.get_number_of_rows() - first, id, css_class,
        [&](unsigned r, auto each) { cells_of(first + r, each); });
}

void rdb_html_write_points(RDB_HTML_OUTPUT& out, const std::vector<RDB_CHART_POINT>& points, const std::string& id,
                           const char* css_class)
{
    HTML_CELL_FORMATTER formatter;
    write_rows(
        out, false, [](auto) {}, static_cast<unsigned>(points.size()), id, css_class, [&](unsigned r, auto each) {
            each(formatter.label(points[r].label));
            each(formatter.value(points[r].value));
        });
}

void rdb_html_write_cell_rows(RDB_HTML_OUTPUT& out, const std::vector<std::string>& titles, std::size_t rows,
                              const RDB_HTML_ROW_SOURCE& source, const std::string& id, const char* css_class)
{
    HTML_CELL_FORMATTER formatter;
    std::vector<RDB_HTML_CELL> cells;
    write_rows(
        out, !titles.empty(),
        [&](auto each) {
            for (const std::string& title : titles)
                each(formatter.label(title));
        },
        static_cast<unsigned>(rows), id, css_class,
        [&](unsigned r, auto each) {
            cells.clear();
            source(r, cells);
            for (const RDB_HTML_CELL& cell : cells)
                each(formatter.cell(cell));
        });
}
