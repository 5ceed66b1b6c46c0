#include <rdbxml/rdb_csv_writer.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <csv.h>

#include <rdbxml/rdb_chart.h>

namespace {

// One line of fields.
class CSV_LINE {
public:
    explicit CSV_LINE(std::ostream& out) : m_out(out) {}

    void field(const std::string& text)
    {
        if (m_fields++ > 0)
            m_line += ',';
        // A quoted field is at most twice the text and its two quotes.
        std::size_t at = m_line.size();
        m_line.resize(at + 2 * text.size() + 2);
        m_line.resize(at + csv_write(&m_line[at], m_line.size() - at, text.data(), text.size()));
    }
    void end()
    {
        m_line += "\r\n";
        m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_line.clear();
        m_fields = 0;
    }

private:
    std::ostream& m_out;
    std::string m_line;
    std::size_t m_fields = 0;
};

// The display option of each column's first delay cell; -1 for a column
// without delays.
std::vector<int> delay_units(const RDB_TABLE_OBJECT& table, std::size_t columns)
{
    std::vector<int> units(columns, -1);
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW& row = *table.get_row(r);
        for (std::size_t c = 0; c < row.size(); ++c)
            if (units[c] < 0 && row[c] != nullptr && row[c]->get_cell_kind() == RDB_CELL_DELAY)
                units[c] = static_cast<const RDB_TABLE_DELAY_ELEMENT*>(row[c])->get_display_option();
    }
    return units;
}

// The column titles: the heading row, a chart's axis labels, numbers.
std::vector<std::string> titles(const RDB_TABLE_OBJECT& table, std::size_t columns)
{
    std::vector<std::string> names(columns);
    if (const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table)) {
        names[0] = chart->get_x_axis().str();
        if (columns > 1)
            names[1] = chart->get_y_axis().str();
    } else if (table.has_heading_row()) {
        const RDB_TABLE_ROW& heading = *table.get_row(0);
        for (std::size_t c = 0; c < heading.size(); ++c)
            names[c] = rdb_cell_text(*heading[c]);
    }
    for (std::size_t c = 0; c < columns; ++c)
        if (names[c].empty())
            names[c] = std::to_string(c + 1);
    return names;
}

}  // namespace

void rdb_write_csv(const RDB_TABLE_OBJECT& table, std::ostream& out)
{
    std::size_t columns = 0;
    for (const RDB_TABLE_ROW* row : table.rows())
        columns = std::max(columns, row->size());
    columns = std::max<std::size_t>(columns, 1);
    std::vector<int> units = delay_units(table, columns);
    std::vector<std::string> names = titles(table, columns);

    CSV_LINE line(out);
    for (std::size_t c = 0; c < columns; ++c)
        line.field(units[c] < 0 ? names[c]
                                : names[c] + " (" +
                                      rdb_delay_unit(static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(units[c])) +
                                      ")");
    line.end();

    std::string text;
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW& row = *table.get_row(r);
        for (std::size_t c = 0; c < columns; ++c) {
            text.clear();
            const RDB_TABLE_ELEMENT* cell = c < row.size() ? row[c] : nullptr;
            if (cell != nullptr && units[c] >= 0 && cell->get_cell_kind() == RDB_CELL_DELAY)
                rdb_format_delay_in_unit(static_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)->get_delay(),
                                         static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(units[c]), text);
            else if (cell != nullptr)
                rdb_append_cell_text(text, *cell);
            line.field(text);
        }
        line.end();
    }
}
