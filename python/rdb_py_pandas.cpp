// A table as a pandas DataFrame, column by column. The columns are those
// of the tool's CSV: titled by the heading row, and a column holding delays
// has one unit, named in its title ("Slack (ps)"): the unit asked for
// (rdb_table_columns_in_unit), so that a table's frame has the same names
// and types in every run; or, as the CSV has it, its first delay's display
// option (rdb_table_columns). pandas is imported only here, so the module
// works without it.
#include "rdb_py.h"

#include <pybind11/numpy.h>

#include <cstdint>
#include <limits>

#include <rdbxml/rdb_rule.h>

namespace {

typedef std::vector<const RDB_TABLE_ELEMENT*> COLUMN;

// What a column holds: one cell kind throughout (kind >= 0), or a mix.
struct COLUMN_KINDS {
    int kind = -1;  // the one kind of every cell there is; -1 for none or a mix
    bool mixed = false;
    bool missing = false;  // a row without a cell in this column
};

COLUMN_KINDS kinds_of(const COLUMN& column)
{
    COLUMN_KINDS kinds;
    for (const RDB_TABLE_ELEMENT* cell : column) {
        if (cell == nullptr) {
            kinds.missing = true;
            continue;
        }
        int kind = cell->get_cell_kind();
        if (kinds.kind < 0 && !kinds.mixed)
            kinds.kind = kind;
        else if (kinds.kind != kind)
            kinds.mixed = true;
    }
    if (kinds.mixed)
        kinds.kind = -1;
    return kinds;
}

std::int64_t integer_of(const RDB_TABLE_ELEMENT& cell)
{
    if (cell.get_cell_kind() == RDB_CELL_DELAY)
        return static_cast<const RDB_TABLE_DELAY_ELEMENT&>(cell).get_delay();
    return static_cast<const RDB_TABLE_INT_ELEMENT&>(cell).get_data();
}

// A column of integers (int cells, or delays in ps): int64, or pandas'
// nullable Int64 when a row has no cell there.
py::object integer_column(const py::module_& pandas, const COLUMN& column, bool missing)
{
    if (!missing) {
        py::array_t<std::int64_t> values(static_cast<py::ssize_t>(column.size()));
        auto out = values.mutable_unchecked<1>();
        for (std::size_t r = 0; r < column.size(); ++r)
            out(static_cast<py::ssize_t>(r)) = integer_of(*column[r]);
        return std::move(values);
    }
    py::list values(column.size());
    for (std::size_t r = 0; r < column.size(); ++r)
        values[r] = column[r] != nullptr ? py::object(py::int_(integer_of(*column[r]))) : py::none();
    return pandas.attr("array")(values, py::arg("dtype") = "Int64");
}

// Delays in ns or MHz: float64, NaN where there is no number.
py::object float_column(const COLUMN& column, int unit)
{
    py::array_t<double> values(static_cast<py::ssize_t>(column.size()));
    auto out = values.mutable_unchecked<1>();
    for (std::size_t r = 0; r < column.size(); ++r) {
        double number = std::numeric_limits<double>::quiet_NaN();
        if (column[r] != nullptr)
            rdb_delay_number(static_cast<const RDB_TABLE_DELAY_ELEMENT*>(column[r])->get_delay(),
                             static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(unit), number);
        out(static_cast<py::ssize_t>(r)) = number;
    }
    return std::move(values);
}

// Anything else: an object column of the rows' values, delays as numbers
// in the column's unit (None where there is none).
py::object object_column(const py::module_& pandas, const COLUMN& column, int unit)
{
    py::list values(column.size());
    for (std::size_t r = 0; r < column.size(); ++r) {
        const RDB_TABLE_ELEMENT* cell = column[r];
        if (cell != nullptr && cell->get_cell_kind() == RDB_CELL_DELAY) {
            double number = 0;
            bool has_number = rdb_delay_number(static_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)->get_delay(),
                                               static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(unit), number);
            values[r] = unit == RDB_DELAY_DISPLAY_PS ? py::object(py::int_(integer_of(*cell)))
                        : has_number                ? py::object(py::float_(number))
                                                    : py::none();
        } else {
            values[r] = rdb_py_cell_value(cell);
        }
    }
    return pandas.attr("Series")(values, py::arg("dtype") = "object");
}

}  // namespace

py::object rdb_py_to_pandas(const RDB_TABLE_OBJECT& table, const py::object& unit_name)
{
    std::vector<RDB_TABLE_COLUMN> columns;
    if (unit_name.is_none()) {
        columns = rdb_table_columns(table);
    } else {
        std::string name = unit_name.cast<std::string>();
        RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM unit =
            rdb_get_rdb_table_delay_element_display_option_enum_by_string(name.c_str());
        if (unit == RDB_DELAY_DISPLAY_UNKNOWN)
            throw py::value_error("unknown delay unit '" + name + "': 'ps', 'ns', 'mhz' or None");
        columns = rdb_table_columns_in_unit(table, unit);
    }
    py::module_ pandas = py::module_::import("pandas");

    py::dict data;
    py::list names;
    COLUMN column;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        column.clear();
        for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
            const RDB_TABLE_ROW& row = *table.get_row(r);
            column.push_back(c < row.size() ? row[c] : nullptr);
        }
        COLUMN_KINDS kinds = kinds_of(column);
        int unit = columns[c].m_delay_unit;
        py::object values;
        if (kinds.kind == RDB_CELL_INT || (kinds.kind == RDB_CELL_DELAY && unit == RDB_DELAY_DISPLAY_PS))
            values = integer_column(pandas, column, kinds.missing);
        else if (kinds.kind == RDB_CELL_DELAY)
            values = float_column(column, unit);
        else
            values = object_column(pandas, column, unit);
        data[py::int_(c)] = values;
        names.append(rdb_py_str(columns[c].m_title));
    }
    py::object frame = pandas.attr("DataFrame")(data);
    frame.attr("columns") = names;
    return frame;
}

py::object rdb_py_gauges_to_pandas(const RDB_GAUGES_OBJECT& gauges)
{
    py::module_ pandas = py::module_::import("pandas");
    std::vector<const RDB_GAUGES_DATA_ELEMENT*> used;
    for (unsigned i = 0; i < gauges.get_number_of_used_slots(); ++i)
        if (const RDB_GAUGES_DATA_ELEMENT* g = gauges.get_data_at(i))
            used.push_back(g);
    auto rows = static_cast<py::ssize_t>(used.size());
    py::list names(used.size());
    py::array_t<std::int64_t> values(rows), mins(rows), maxes(rows);
    py::array_t<double> percents(rows);
    py::array_t<bool> disabled(rows);
    for (py::ssize_t r = 0; r < rows; ++r) {
        const RDB_GAUGES_DATA_ELEMENT& g = *used[static_cast<std::size_t>(r)];
        names[static_cast<std::size_t>(r)] = rdb_py_str(g.get_name().view());
        values.mutable_at(r) = g.get_value();
        mins.mutable_at(r) = g.get_min();
        maxes.mutable_at(r) = g.get_max();
        double percent = std::numeric_limits<double>::quiet_NaN();
        rdb_gauge_percent(g, percent);
        percents.mutable_at(r) = percent;
        disabled.mutable_at(r) = g.is_disabled();
    }
    py::dict data;
    data["name"] = pandas.attr("Series")(names, py::arg("dtype") = "object");
    data["value"] = values;
    data["min"] = mins;
    data["max"] = maxes;
    data["percent"] = percents;
    data["disabled"] = disabled;
    return pandas.attr("DataFrame")(data);
}
