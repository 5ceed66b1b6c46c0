#include <rdbxml/rdb_csv_writer.h>

#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include <csv.h>

#include <rdbxml/rdb_columns.h>
#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_table.h>

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

// The shortest decimal that reads back as `number`.
std::string shortest(double number)
{
    char text[32];
    std::to_chars_result end = std::to_chars(text, text + sizeof text, number);
    return std::string(text, end.ptr);
}

}  // namespace

void rdb_write_csv(const RDB_TABLE_OBJECT& table, std::ostream& out)
{
    std::vector<RDB_TABLE_COLUMN> columns = rdb_table_columns(table);
    CSV_LINE line(out);
    for (const RDB_TABLE_COLUMN& column : columns)
        line.field(column.m_title);
    line.end();

    std::string text;
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW& row = *table.get_row(r);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            text.clear();
            const RDB_TABLE_ELEMENT* cell = c < row.size() ? row[c] : nullptr;
            int unit = columns[c].m_delay_unit;
            if (cell != nullptr && unit >= 0 && cell->get_cell_kind() == RDB_CELL_DELAY)
                rdb_format_delay_in_unit(static_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)->get_delay(),
                                         static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(unit), text);
            else if (cell != nullptr)
                rdb_append_cell_text(text, *cell);
            line.field(text);
        }
        line.end();
    }
}

void rdb_write_csv_gauges(const RDB_GAUGES_OBJECT& gauges, std::ostream& out)
{
    CSV_LINE line(out);
    for (const char* title : {"name", "value", "min", "max", "percent"})
        line.field(title);
    line.end();
    for (unsigned slot = 0; slot < gauges.get_number_of_slots(); ++slot) {
        const RDB_GAUGES_DATA_ELEMENT* gauge = gauges.get_data_at(slot);
        if (gauge == nullptr)
            continue;
        line.field(gauge->get_name().str());
        line.field(std::to_string(gauge->m_value));
        line.field(std::to_string(gauge->m_min));
        line.field(std::to_string(gauge->m_max));
        double percent = 0;
        line.field(rdb_gauge_percent(*gauge, percent) ? shortest(percent) : std::string());
        line.end();
    }
}
