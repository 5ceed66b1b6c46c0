// Tables and what they hold: rows as lists of Python values, the heading
// row, single cells with their colours, the delay value type, and the table
// kinds' own settings (timing tables, summaries with their gauges, charts).
#include "rdb_py.h"

#include <pybind11/operators.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <iterator>

#include <rdbxml/rdb_columns.h>
#include <rdbxml/rdb_rule.h>

namespace {

// A delay as a value: picoseconds and the unit it is shown in. Two delays
// compare by their picoseconds alone: the unit is how a report shows the
// same length of time, so -0.120 ns equals -120 ps and sorts with it.
struct RDB_PY_DELAY {
    long m_ps;
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM m_option;

    bool operator==(const RDB_PY_DELAY& other) const { return m_ps == other.m_ps; }
    bool operator!=(const RDB_PY_DELAY& other) const { return m_ps != other.m_ps; }
    bool operator<(const RDB_PY_DELAY& other) const { return m_ps < other.m_ps; }
    bool operator<=(const RDB_PY_DELAY& other) const { return m_ps <= other.m_ps; }
    bool operator>(const RDB_PY_DELAY& other) const { return m_ps > other.m_ps; }
    bool operator>=(const RDB_PY_DELAY& other) const { return m_ps >= other.m_ps; }
};

RDB_PY_DELAY make_delay(long ps, const std::string& unit)
{
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option =
        rdb_get_rdb_table_delay_element_display_option_enum_by_string(unit.c_str());
    if (option == RDB_DELAY_DISPLAY_UNKNOWN)
        throw py::value_error("unknown delay unit '" + unit + "': 'ns', 'ps' or 'mhz'");
    return RDB_PY_DELAY{ps, option};
}

// What pickle keeps of a delay: its picoseconds and its unit's name.
py::tuple delay_state(const RDB_PY_DELAY& delay)
{
    return py::make_tuple(delay.m_ps, rdb_delay_display_option_name(delay.m_option));
}

RDB_PY_DELAY delay_from_state(const py::tuple& state)
{
    if (state.size() != 2)
        throw py::value_error("not the state of a Delay");
    return make_delay(state[0].cast<long>(), state[1].cast<std::string>());
}

// The number of a delay in its unit: int picoseconds, float nanoseconds or
// megahertz; None for the frequency of a delay of 0 or less.
py::object delay_in_unit(const RDB_PY_DELAY& delay)
{
    if (delay.m_option == RDB_DELAY_DISPLAY_PS)
        return py::int_(delay.m_ps);
    double number = 0;
    return rdb_delay_number(delay.m_ps, delay.m_option, number) ? py::object(py::float_(number)) : py::none();
}

// A cell copied out of its table.
struct RDB_PY_CELL {
    std::string m_kind;
    py::object m_value;
    py::object m_text;
    RDB_RGB_COLOR m_foreground;
    RDB_RGB_COLOR m_background;
    py::object m_path;      // instance names: the path as written
    py::object m_instance;  // instance names: the resolved instance's path, or None
};

const char* const CELL_KINDS[] = {"string", "int", "delay", "iname"};

// What pickle keeps of a cell: every field, the colours as numbers. A cell
// holds nothing of its report, so it comes back as it was.
py::tuple cell_state(const RDB_PY_CELL& cell)
{
    return py::make_tuple(cell.m_kind, cell.m_value, cell.m_text, cell.m_foreground, cell.m_background, cell.m_path,
                          cell.m_instance);
}

RDB_PY_CELL cell_from_state(const py::tuple& state)
{
    bool known = state.size() == 7 && py::isinstance<py::str>(state[0]);
    std::string kind = known ? state[0].cast<std::string>() : std::string();
    if (std::find(std::begin(CELL_KINDS), std::end(CELL_KINDS), kind) == std::end(CELL_KINDS))
        throw py::value_error("not the state of a Cell");
    return RDB_PY_CELL{kind, state[1], state[2], state[3].cast<RDB_RGB_COLOR>(), state[4].cast<RDB_RGB_COLOR>(),
                       state[5], state[6]};
}

// A gauge copied out of its gauges object.
struct RDB_PY_GAUGE {
    py::object m_name;
    bool m_percent;
    int m_min;
    int m_max;
    int m_value;
    bool m_disabled;
    py::object m_percent_of_range;  // a float, or None for an empty range
};

// What pickle keeps of a gauge: every field, in the order of the struct.
py::tuple gauge_state(const RDB_PY_GAUGE& g)
{
    return py::make_tuple(g.m_name, g.m_percent, g.m_min, g.m_max, g.m_value, g.m_disabled, g.m_percent_of_range);
}

RDB_PY_GAUGE gauge_from_state(const py::tuple& state)
{
    if (state.size() != 7)
        throw py::value_error("not the state of a Gauge");
    return RDB_PY_GAUGE{state[0].cast<py::str>(), state[1].cast<bool>(), state[2].cast<int>(), state[3].cast<int>(),
                        state[4].cast<int>(),     state[5].cast<bool>(), state[6]};
}

// Where a gauge's value stands in its range, as a percent; None for a range
// whose max equals its min.
py::object percent_of_range(const RDB_GAUGES_DATA_ELEMENT& gauge)
{
    double share = 0;
    return rdb_gauge_percent(gauge, share) ? py::object(py::float_(share)) : py::none();
}

// The slots up to the last that holds a gauge, each a Gauge or None.
py::list gauge_slots(const RDB_GAUGES_OBJECT& gauges)
{
    py::list slots;
    for (unsigned i = 0; i < gauges.get_number_of_used_slots(); ++i) {
        const RDB_GAUGES_DATA_ELEMENT* g = gauges.get_data_at(i);
        slots.append(g == nullptr ? py::none()
                                  : py::cast(RDB_PY_GAUGE{rdb_py_str(g->get_name().view()), g->is_percent(),
                                                          g->get_min(), g->get_max(), g->get_value(),
                                                          g->is_disabled(), percent_of_range(*g)}));
    }
    return slots;
}

py::object color_text(RDB_RGB_COLOR color)
{
    if (color == RDB_NO_COLOR)
        return py::none();
    return py::str(rdb_rgb_color_text(color));
}

// The instance's path when the cell resolved to one, else None.
py::object instance_path(const RDB_TABLE_INAME_ELEMENT& cell)
{
    if (cell.get_iname() == nullptr)
        return py::none();
    return rdb_py_str(cell.get_iname()->full_path().view());
}

}  // namespace

// A cell's value: str, int, Delay, or an instance name's path (resolved
// when it was, else as written); None for a missing cell.
py::object rdb_py_cell_value(const RDB_TABLE_ELEMENT* cell)
{
    if (cell == nullptr)
        return py::none();
    switch (cell->get_cell_kind()) {
    case RDB_CELL_STRING:
        return rdb_py_str(static_cast<const RDB_TABLE_STRING_ELEMENT*>(cell)->get_string().view());
    case RDB_CELL_INT:
        return py::int_(static_cast<const RDB_TABLE_INT_ELEMENT*>(cell)->get_data());
    case RDB_CELL_DELAY: {
        const auto* delay = static_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell);
        return py::cast(RDB_PY_DELAY{delay->get_delay(), delay->get_display_option()});
    }
    case RDB_CELL_INAME:
        return rdb_py_str(rdb_cell_text(*cell));
    }
    return py::none();
}

namespace {

py::list row_values(const RDB_TABLE_ROW& row)
{
    py::list values(row.size());
    for (std::size_t c = 0; c < row.size(); ++c)
        values[c] = rdb_py_cell_value(row[c]);
    return values;
}

// The data rows of a table (those after its heading row) as a sequence,
// or a slice of them: `m_count` rows from the data row `m_start`, every
// `m_step`th. It holds the table, and so its report.
struct RDB_PY_ROWS {
    std::shared_ptr<RDB_TABLE_OBJECT> m_table;
    long m_start = 0;
    long m_step = 1;
    std::size_t m_count = 0;

    static RDB_PY_ROWS all(std::shared_ptr<RDB_TABLE_OBJECT> table)
    {
        std::size_t count = table->get_number_of_rows() - table->get_first_data_row();
        return RDB_PY_ROWS{std::move(table), 0, 1, count};
    }

    std::size_t size() const { return m_count; }
    py::list at(std::size_t index) const
    {
        long data_row = m_start + static_cast<long>(index) * m_step;
        return row_values(*m_table->get_row(m_table->get_first_data_row() + static_cast<unsigned>(data_row)));
    }
    // A slice of these rows, as Python slices a sequence (negative steps
    // too): a view of the same table.
    RDB_PY_ROWS slice(const py::slice& range) const
    {
        py::ssize_t start = 0, stop = 0, step = 0, count = 0;
        if (!range.compute(static_cast<py::ssize_t>(m_count), &start, &stop, &step, &count))
            throw py::error_already_set();
        return RDB_PY_ROWS{m_table, m_start + static_cast<long>(start) * m_step, m_step * static_cast<long>(step),
                           static_cast<std::size_t>(count)};
    }
    py::list values() const
    {
        py::list rows(m_count);
        for (std::size_t i = 0; i < m_count; ++i)
            rows[i] = at(i);
        return rows;
    }
};

struct RDB_PY_ROW_ITERATOR {
    RDB_PY_ROWS m_rows;
    std::size_t m_next = 0;
};

// A Python index into `size` entries (negative from the end); IndexError
// when out of range.
std::size_t checked_index(long index, std::size_t size)
{
    long count = static_cast<long>(size);
    if (index < 0)
        index += count;
    if (index < 0 || index >= count)
        throw py::index_error("row index out of range");
    return static_cast<std::size_t>(index);
}

py::object cell_at(const RDB_TABLE_OBJECT& table, long row, unsigned column)
{
    std::size_t count = table.get_number_of_rows() - table.get_first_data_row();
    const RDB_TABLE_ELEMENT* cell =
        table.get_element(table.get_first_data_row() + static_cast<unsigned>(checked_index(row, count)), column);
    if (cell == nullptr)
        return py::none();
    RDB_PY_CELL copy{cell->get_type(),
                     rdb_py_cell_value(cell),
                     rdb_py_str(rdb_cell_text(*cell)),
                     cell->get_foreground(),
                     cell->get_background(),
                     py::none(),
                     py::none()};
    if (cell->get_cell_kind() == RDB_CELL_INAME) {
        const auto* iname = static_cast<const RDB_TABLE_INAME_ELEMENT*>(cell);
        copy.m_path = rdb_py_str(iname->get_path());
        copy.m_instance = instance_path(*iname);
    }
    return py::cast(std::move(copy));
}

py::object heading_of(const RDB_TABLE_OBJECT& table)
{
    if (!table.has_heading_row())
        return py::none();
    py::list titles;
    for (const RDB_TABLE_ELEMENT* cell : *table.get_row(0))
        titles.append(cell != nullptr ? rdb_py_str(rdb_cell_text(*cell)) : py::str());
    return titles;
}

void bind_values(py::module_& module)
{
    py::class_<RDB_PY_DELAY>(module, "Delay",
                             "A delay: a length of time in picoseconds, and the unit it is shown in ('ns', 'ps' or "
                             "'mhz'). str() gives it as the report shows it: '-0.120 ns', '-120 ps', '412.0 MHz'. "
                             "Delays compare, sort and hash by their picoseconds alone, whatever their units: "
                             "Delay(-120, 'ns') == Delay(-120, 'ps'). A delay is a period, also when shown in MHz: "
                             "the greater delay is the lower frequency, so to compare frequencies compare "
                             "1e6 / delay.ps. It pickles as its picoseconds and unit.")
        .def(py::init(&make_delay), py::arg("ps"), py::arg("unit") = "ps")
        .def_readonly("ps", &RDB_PY_DELAY::m_ps, "The delay in picoseconds.")
        .def_property_readonly(
            "unit", [](const RDB_PY_DELAY& d) { return std::string(rdb_delay_display_option_name(d.m_option)); },
            "The display option: 'ns', 'ps' or 'mhz'.")
        .def_property_readonly("value", &delay_in_unit,
                               "The number in the unit: int ps, float ns, float MHz (None: no frequency "
                               "for a delay of 0 or less).")
        .def("__str__", [](const RDB_PY_DELAY& d) { return rdb_format_delay(d.m_ps, d.m_option); })
        .def("__repr__",
             [](const RDB_PY_DELAY& d) {
                 return "Delay(" + std::to_string(d.m_ps) + ", '" + rdb_delay_display_option_name(d.m_option) + "')";
             })
        .def(py::self == py::self)
        .def(py::self != py::self)
        .def(py::self < py::self)
        .def(py::self <= py::self)
        .def(py::self > py::self)
        .def(py::self >= py::self)
        .def("__hash__", [](const RDB_PY_DELAY& d) { return py::hash(py::int_(d.m_ps)); })
        .def(py::pickle(&delay_state, &delay_from_state))
        .def("__reduce__", &rdb_py_reduce_by_state);

    py::class_<RDB_PY_CELL>(module, "Cell",
                            "One table cell copied out of its table, with its colours. It holds nothing of its "
                            "report: it pickles whole, and comes back equal in every field.")
        .def_readonly("kind", &RDB_PY_CELL::m_kind, "'string', 'int', 'delay' or 'iname'.")
        .def_readonly("value", &RDB_PY_CELL::m_value, "The value as rows hold it: str, int, Delay or a path str.")
        .def_readonly("text", &RDB_PY_CELL::m_text, "The cell as the report shows it.")
        .def_property_readonly(
            "foreground", [](const RDB_PY_CELL& c) { return color_text(c.m_foreground); },
            "The foreground colour as '#rrggbb', or None.")
        .def_property_readonly(
            "background", [](const RDB_PY_CELL& c) { return color_text(c.m_background); },
            "The background colour as '#rrggbb', or None.")
        .def_readonly("path", &RDB_PY_CELL::m_path, "An instance name's path as written; None for other cells.")
        .def_readonly("instance", &RDB_PY_CELL::m_instance,
                      "The path of the instance an instance name resolved to; None when it did not.")
        .def(py::pickle(&cell_state, &cell_from_state))
        .def("__reduce__", &rdb_py_reduce_by_state)
        .def("__repr__",
             [](const RDB_PY_CELL& c) { return py::str("<rdbxml.Cell {} {!r}>").format(c.m_kind, c.m_value); });

    py::class_<RDB_PY_GAUGE>(module, "Gauge",
                             "One gauge of a summary: a named value between a minimum and a maximum. It holds "
                             "nothing of its report and pickles whole.")
        .def_readonly("name", &RDB_PY_GAUGE::m_name)
        .def_readonly("percent", &RDB_PY_GAUGE::m_percent, "Whether the value is a share in percent.")
        .def_readonly("min", &RDB_PY_GAUGE::m_min)
        .def_readonly("max", &RDB_PY_GAUGE::m_max)
        .def_readonly("value", &RDB_PY_GAUGE::m_value)
        .def_readonly("disabled", &RDB_PY_GAUGE::m_disabled, "Whether the gauge is switched off.")
        .def_readonly("percent_of_range", &RDB_PY_GAUGE::m_percent_of_range,
                      "Where the value stands between min and max, in percent; None when max equals min.")
        .def(py::pickle(&gauge_state, &gauge_from_state))
        .def("__reduce__", &rdb_py_reduce_by_state)
        .def("__repr__", [](const RDB_PY_GAUGE& g) {
            // Shown as the tree and the page show it (rdb_gauge_shown).
            py::object shown = g.m_percent && !g.m_percent_of_range.is_none()
                                   ? py::str(rdb_format_percent(g.m_percent_of_range.cast<double>()))
                                   : py::str(std::to_string(g.m_value));
            return py::str("<rdbxml.Gauge {!r} {} ({} to {})>").format(g.m_name, shown, g.m_min, g.m_max);
        });
}

void bind_rows(py::module_& module)
{
    py::class_<RDB_PY_ROW_ITERATOR>(module, "RowIterator", "An iterator over a table's data rows.")
        .def("__reduce__", &rdb_py_refuse_pickle)
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", [](RDB_PY_ROW_ITERATOR& it) {
            if (it.m_next >= it.m_rows.size())
                throw py::stop_iteration();
            return it.m_rows.at(it.m_next++);
        });
    py::class_<RDB_PY_ROWS>(module, "Rows",
                            "A table's data rows, each a list of values (str, int, Delay, a path str; None "
                            "for a missing cell). It keeps the report alive. A slice (rows[1:5], rows[::-1]) "
                            "is a Rows of the same table. It pickles as a list of its rows: what comes back is "
                            "a plain list of lists of values.")
        .def("__len__", &RDB_PY_ROWS::size)
        .def("__getitem__",
             [](const RDB_PY_ROWS& rows, long index) { return rows.at(checked_index(index, rows.size())); })
        .def("__getitem__", &RDB_PY_ROWS::slice)
        .def("__iter__", [](const RDB_PY_ROWS& rows) { return RDB_PY_ROW_ITERATOR{rows}; })
        .def("__repr__",
             [](const RDB_PY_ROWS& rows) {
                 return py::str("<rdbxml.Rows {} of {!r}>").format(rows.size(), rdb_py_str(rdb_object_path(*rows.m_table)));
             })
        .def("__reduce__", [](const RDB_PY_ROWS& rows) {
            py::object list_type = py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(&PyList_Type));
            return py::make_tuple(list_type, py::make_tuple(rows.values()));
        });
}

// The slack table's column ids by type name, in enumeration order.
py::dict slack_columns(const RDB_TAN_SLACK_TABLE_OBJECT& table)
{
    py::dict columns;
    for (int t = 0; t < RDB_SLACK_COLUMN_COUNT; ++t) {
        auto type = static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(t);
        if (table.has_column_id(type))
            columns[py::str(rdb_slack_column_type_name(type))] = table.get_column_id(type);
    }
    return columns;
}

py::list chart_points(const RDB_CHART_TABLE_OBJECT& chart)
{
    py::list points;
    for (const RDB_CHART_POINT& point : chart.get_points())
        points.append(py::make_tuple(rdb_py_str(point.label), point.value));
    return points;
}

void bind_table_kinds(py::module_& module)
{
    rdb_py_held_class<RDB_TABLE_OBJECT, RDB_OBJECT>(module, "Table",
                                                "A table: an optional heading row, then rows of cells.")
        .def_property_readonly("object_type",
                               [](const RDB_TABLE_OBJECT& t) { return static_cast<int>(t.get_object_type()); })
        .def_property_readonly("last_cmp_flp_location_available",
                               &RDB_TABLE_OBJECT::get_last_cmp_flp_location_available)
        .def_property_readonly("heading", &heading_of,
                               "The heading row's texts (the column titles), or None when the table has none.")
        .def_property_readonly(
            "rows", [](const std::shared_ptr<RDB_TABLE_OBJECT>& t) { return RDB_PY_ROWS::all(t); },
            "The data rows (after the heading row), each a list of values.")
        .def(
            "cell", [](const RDB_TABLE_OBJECT& t, long row, unsigned column) { return cell_at(t, row, column); },
            py::arg("row"), py::arg("column"),
            "The cell at a data row (as rows counts them) and column, or None when the row has none there.")
        .def(
            "to_pandas", [](const RDB_TABLE_OBJECT& t, const py::object& unit) { return rdb_py_to_pandas(t, unit); },
            py::arg("unit") = "ps",
            "The data rows as a pandas DataFrame (needs pandas). Columns are titled as the tool's CSV titles "
            "them, a delay column's title naming its unit. Every delay column is in `unit`, whatever units its "
            "cells are shown in, so that a table's frame has the same column names and dtypes in every run: "
            "'ps' int64 picoseconds ('Slack (ps)'), 'ns' float64 nanoseconds, 'mhz' float64 megahertz (the "
            "frequency of the period; NaN for a delay of 0 or less, which has none). None takes each column's "
            "unit from its first delay, as the CSV does: a title and dtype that change with the report. "
            "Int columns are int64; a column of ints or ps where a row has no cell pandas' Int64; text and "
            "instance columns str, mixed columns Python values (delays as numbers in the unit).");

    rdb_py_held_class<RDB_TAN_TABLE_OBJECT, RDB_TABLE_OBJECT>(module, "TimingTable", "A timing-analysis table.");
    rdb_py_held_class<RDB_TAN_SPD_TABLE_OBJECT, RDB_TAN_TABLE_OBJECT>(module, "SpeedTable", "A timing speed table.")
        .def_property_readonly("show_min", &RDB_TAN_SPD_TABLE_OBJECT::get_show_min,
                               "Whether the minimum values are shown.");
    rdb_py_held_class<RDB_TAN_SLACK_TABLE_OBJECT, RDB_TAN_TABLE_OBJECT>(module, "SlackTable", "A timing slack table.")
        .def_property_readonly("analysis_type", &RDB_TAN_SLACK_TABLE_OBJECT::get_analysis_type)
        .def_property_readonly("columns", &slack_columns,
                               "The column id of each column type given, as {'slack': 0, 'from': 1, ...}.")
        .def_property_readonly(
            "restricted_to",
            [](const RDB_TAN_SLACK_TABLE_OBJECT& t) {
                return t.has_restricted_to() ? py::object(py::int_(t.get_restricted_to())) : py::none();
            },
            "The restriction given, or None.");

    rdb_py_held_class<RDB_GAUGES_OBJECT, RDB_OBJECT>(module, "Gauges", "A summary's numbered slots of gauges.")
        .def_property_readonly("size", &RDB_GAUGES_OBJECT::get_size)
        .def_property_readonly("slots", &gauge_slots,
                               "The slots up to the last one used, each a Gauge or None when empty.")
        .def("to_pandas", &rdb_py_gauges_to_pandas,
             "The gauges as a pandas DataFrame (needs pandas), a row per gauge in slot order (empty slots left "
             "out): name (str), value, min, max (int64), percent (float64: where the value stands between min "
             "and max, as rdbxml check and the index have it; NaN when max equals min), disabled (bool). The "
             "tool's --csv writes the same table beside the summary's.");
    rdb_py_held_class<RDB_SUMMARY_TABLE_OBJECT, RDB_TABLE_OBJECT>(module, "Summary",
                                                              "A summary: rows of a name and a text, and gauges.")
        .def_property_readonly(
            "gauges",
            [](const std::shared_ptr<RDB_SUMMARY_TABLE_OBJECT>& s) { return rdb_py_object(s, s->get_gauges()); },
            "The gauges, or None.");
    rdb_py_held_class<RDB_CHART_TABLE_OBJECT, RDB_TABLE_OBJECT>(module, "Chart", "A chart: named integer data points.")
        .def_property_readonly("size", &RDB_CHART_TABLE_OBJECT::get_size)
        .def_property_readonly(
            "chart_type",
            [](const RDB_CHART_TABLE_OBJECT& c) { return std::string(rdb_chart_type_name(c.get_default_chart_type())); },
            "'bar', 'line', 'pie', 'scatter' or 'histogram'.")
        .def_property_readonly("x_axis", [](const RDB_CHART_TABLE_OBJECT& c) { return rdb_py_str(c.get_x_axis().view()); })
        .def_property_readonly("y_axis", [](const RDB_CHART_TABLE_OBJECT& c) { return rdb_py_str(c.get_y_axis().view()); })
        .def_property_readonly("display_labels", &RDB_CHART_TABLE_OBJECT::get_display_labels)
        .def_property_readonly("points", &chart_points, "The data points as (label, value) pairs.");
}

}  // namespace

void rdb_py_bind_tables(py::module_& module)
{
    bind_values(module);
    bind_rows(module);
    bind_table_kinds(module);
}
