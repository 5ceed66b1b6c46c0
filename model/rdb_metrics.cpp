// A report's figures as plain records (rdb_metrics.h), made in one walk
// that holds one path at a time (RDB_PATH_CURSOR): a table's rows are read
// once for its column statistics, its worst row and its cells.
#include <rdbxml/rdb_metrics.h>

#include <algorithm>

#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_tan.h>

namespace {

// A cell's number: an integer as it is, a delay in picoseconds.
bool cell_number(const RDB_TABLE_ELEMENT& cell, double& number)
{
    switch (cell.get_cell_kind()) {
    case RDB_CELL_INT:
        number = static_cast<const RDB_TABLE_INT_ELEMENT&>(cell).get_data();
        return true;
    case RDB_CELL_DELAY:
        number = static_cast<double>(static_cast<const RDB_TABLE_DELAY_ELEMENT&>(cell).get_delay());
        return true;
    default:
        return false;
    }
}

const RDB_TABLE_ELEMENT* cell_at(const RDB_TABLE_ROW& row, std::size_t column)
{
    return column < row.size() ? row[column] : nullptr;
}

// The figures of one column's integers, or of its delays.
struct FIGURES {
    std::size_t m_count = 0;
    double m_min = 0;
    double m_max = 0;
    double m_sum = 0;
    std::size_t m_negatives = 0;
    unsigned m_least_row = 0;  // the data row (from 1) of the first least figure

    void add(double number, unsigned row)
    {
        if (m_count == 0 || number < m_min) {
            m_min = number;
            m_least_row = row;
        }
        if (m_count == 0 || number > m_max)
            m_max = number;
        ++m_count;
        m_sum += number;
        if (number < 0)
            ++m_negatives;
    }
};

struct COLUMN_FIGURES {
    FIGURES m_ints;
    FIGURES m_delays;

    const FIGURES& chosen() const { return m_delays.m_count > 0 ? m_delays : m_ints; }
};

class METRICS_WALK {
public:
    METRICS_WALK(RDB_METRICS& metrics, bool cells) : m_metrics(metrics), m_cells(cells) {}

    void visit(const std::string& path, const RDB_OBJECT& object)
    {
        const auto* gauges = dynamic_cast<const RDB_GAUGES_OBJECT*>(&object);
        const auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(&object);
        if (gauges == nullptr && table == nullptr)
            return;
        if (path.size() > RDB_METRICS_PATH_LIMIT) {
            ++m_metrics.m_unlisted;
            return;
        }
        if (gauges != nullptr)
            add_gauges(path, *gauges);
        else if (const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(table))
            add_summary(path, *summary);
        else
            add_table(path, *table);
    }

private:
    void add_object(const std::string& path, const RDB_OBJECT& object, std::size_t size)
    {
        m_metrics.m_objects.push_back(RDB_METRIC_OBJECT{path, object.get_kind(), object.get_name().str(), size});
    }

    static std::size_t data_rows(const RDB_TABLE_OBJECT& table)
    {
        return table.get_number_of_rows() - table.get_first_data_row();
    }

    void add_gauges(const std::string& path, const RDB_GAUGES_OBJECT& gauges)
    {
        std::size_t at = m_metrics.m_objects.size();
        add_object(path, gauges, 0);
        std::size_t count = 0;
        for (unsigned slot = 0; slot < gauges.get_number_of_slots(); ++slot) {
            const RDB_GAUGES_DATA_ELEMENT* gauge = gauges.get_data_at(slot);
            if (gauge == nullptr)
                continue;
            ++count;
            RDB_METRIC_GAUGE record;
            record.m_path = path;
            record.m_name = gauge->get_name().str();
            record.m_value = gauge->m_value;
            record.m_min = gauge->m_min;
            record.m_max = gauge->m_max;
            record.m_has_percent = rdb_gauge_percent(*gauge, record.m_percent);
            m_metrics.m_gauges.push_back(std::move(record));
        }
        m_metrics.m_objects[at].m_size = count;
    }

    void add_summary(const std::string& path, const RDB_SUMMARY_TABLE_OBJECT& summary)
    {
        add_object(path, summary, data_rows(summary));
        for (unsigned r = summary.get_first_data_row(); r < summary.get_number_of_rows(); ++r) {
            const RDB_TABLE_ROW& row = *summary.get_row(r);
            RDB_METRIC_SUMMARY_ROW record;
            record.m_path = path;
            if (const RDB_TABLE_ELEMENT* label = cell_at(row, 0))
                record.m_label = rdb_cell_text(*label);
            if (const RDB_TABLE_ELEMENT* text = cell_at(row, 1))
                record.m_text = rdb_cell_text(*text);
            record.m_has_number =
                rdb_read_number(record.m_text, record.m_number) || rdb_read_percent(record.m_text, record.m_number);
            m_metrics.m_summary_rows.push_back(std::move(record));
        }
    }

    void add_table(const std::string& path, const RDB_TABLE_OBJECT& table)
    {
        const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table);
        if (chart != nullptr) {
            std::vector<RDB_CHART_POINT> points = chart->get_points();
            add_object(path, table, points.size());
            for (const RDB_CHART_POINT& point : points)
                m_metrics.m_points.push_back(RDB_METRIC_POINT{path, std::string(point.label), point.value});
        } else {
            add_object(path, table, data_rows(table));
        }

        std::size_t width = 0;
        for (const RDB_TABLE_ROW* row : table.rows())
            width = std::max(width, row->size());
        for (std::size_t c = 0; c < width; ++c)
            m_metrics.m_headings.push_back(RDB_METRIC_HEADING{path, static_cast<unsigned>(c + 1), heading(table, c)});

        std::vector<COLUMN_FIGURES> figures(width);
        const unsigned first = table.get_first_data_row();
        for (unsigned r = first; r < table.get_number_of_rows(); ++r) {
            const RDB_TABLE_ROW& row = *table.get_row(r);
            const unsigned number = r - first + 1;
            for (std::size_t c = 0; c < row.size(); ++c) {
                double value = 0;
                if (row[c] == nullptr || !cell_number(*row[c], value))
                    continue;
                FIGURES& column = row[c]->get_cell_kind() == RDB_CELL_DELAY ? figures[c].m_delays : figures[c].m_ints;
                column.add(value, number);
            }
            if (m_cells)
                add_cells(path, number, row, m_metrics.m_cells);
        }
        for (std::size_t c = 0; c < width; ++c) {
            const FIGURES& chosen = figures[c].chosen();
            if (chosen.m_count == 0)
                continue;
            RDB_METRIC_COLUMN record;
            record.m_path = path;
            record.m_column = static_cast<unsigned>(c + 1);
            record.m_heading = m_metrics.m_headings[m_metrics.m_headings.size() - width + c].m_heading;
            record.m_delays = figures[c].m_delays.m_count > 0;
            record.m_count = chosen.m_count;
            record.m_min = chosen.m_min;
            record.m_max = chosen.m_max;
            record.m_sum = chosen.m_sum;
            record.m_negatives = chosen.m_negatives;
            m_metrics.m_columns.push_back(std::move(record));
        }

        if (dynamic_cast<const RDB_TAN_SPD_TABLE_OBJECT*>(&table) != nullptr) {
            for (unsigned r = first; r < table.get_number_of_rows(); ++r)
                add_cells(path, r - first + 1, *table.get_row(r), m_metrics.m_table_rows);
        } else if (const auto* slack = dynamic_cast<const RDB_TAN_SLACK_TABLE_OBJECT*>(&table)) {
            std::size_t column = slack_column(*slack);
            if (column < width && figures[column].chosen().m_count > 0) {
                unsigned number = figures[column].chosen().m_least_row;
                add_cells(path, number, *table.get_row(first + number - 1), m_metrics.m_table_rows);
            }
        }
    }

    // The column's heading: a chart's axis label, a heading row's cell.
    static std::string heading(const RDB_TABLE_OBJECT& table, std::size_t column)
    {
        if (const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table))
            return column == 0 ? chart->get_x_axis().str() : column == 1 ? chart->get_y_axis().str() : std::string();
        if (!table.has_heading_row())
            return std::string();
        const RDB_TABLE_ELEMENT* cell = cell_at(*table.get_row(0), column);
        return cell != nullptr ? rdb_cell_text(*cell) : std::string();
    }

    // The slack column, from 0; past every column when there is none.
    static std::size_t slack_column(const RDB_TAN_SLACK_TABLE_OBJECT& table)
    {
        if (table.has_column_id(RDB_SLACK_COLUMN_SLACK))
            return table.get_column_id(RDB_SLACK_COLUMN_SLACK);
        int found = rdb_find_column(table, "Slack");
        return found >= 0 ? static_cast<std::size_t>(found) : static_cast<std::size_t>(-1);
    }

    void add_cells(const std::string& path, unsigned number, const RDB_TABLE_ROW& row,
                   std::vector<RDB_METRIC_CELL>& out)
    {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (row[c] == nullptr)
                continue;
            RDB_METRIC_CELL record;
            record.m_path = path;
            record.m_row = number;
            record.m_column = static_cast<unsigned>(c + 1);
            record.m_kind = row[c]->get_type();
            record.m_text = rdb_cell_text(*row[c]);
            record.m_has_number = cell_number(*row[c], record.m_number);
            out.push_back(std::move(record));
        }
    }

    RDB_METRICS& m_metrics;
    bool m_cells;
};

}  // namespace

RDB_METRICS rdb_report_metrics(const RDB_FOLDER_OBJECT& top, bool cells)
{
    RDB_METRICS metrics;
    METRICS_WALK walk(metrics, cells);
    RDB_PATH_CURSOR cursor(top);
    while (cursor.next())
        walk.visit(cursor.path(), cursor.object());
    return metrics;
}
