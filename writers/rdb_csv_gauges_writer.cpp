// A summary's gauges as CSV (rdb_csv_writer.h).
#include <rdbxml/rdb_csv_writer.h>

#include <charconv>
#include <string>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_summary.h>
#include "rdb_csv_line.h"

namespace {

// The shortest decimal that reads back as `number`.
std::string shortest(double number)
{
    char text[32];
    std::to_chars_result end = std::to_chars(text, text + sizeof text, number);
    return std::string(text, end.ptr);
}

}  // namespace

void rdb_write_csv_gauges(const RDB_GAUGES_OBJECT& gauges, std::ostream& out)
{
    RDB_CSV_LINE line(out);
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
