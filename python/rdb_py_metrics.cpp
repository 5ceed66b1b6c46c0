// rdbxml.metrics: the figures of a report (rdb_metrics.h) as plain Python
// values, the records the index stores, and back again for Index.put. Each
// record is a dict keyed by its table's column names in the index; each
// kind of record names its fields once, in fields_of, for both ways.
#include "rdb_py_metrics.h"

#include <pybind11/stl.h>

#include <sys/stat.h>

namespace {

// A number the index stores as NULL when there is none.
struct OPTIONAL_NUMBER {
    bool& m_has;
    double& m_value;
};

template <class F>
void fields_of(RDB_METRIC_OBJECT& r, F&& f)
{
    f("path", r.m_path), f("kind", r.m_kind), f("name", r.m_name), f("size", r.m_size);
}

template <class F>
void fields_of(RDB_METRIC_GAUGE& r, F&& f)
{
    f("path", r.m_path), f("name", r.m_name), f("value", r.m_value), f("min", r.m_min), f("max", r.m_max);
    f("percent", OPTIONAL_NUMBER{r.m_has_percent, r.m_percent});
}

template <class F>
void fields_of(RDB_METRIC_SUMMARY_ROW& r, F&& f)
{
    f("path", r.m_path), f("label", r.m_label), f("text", r.m_text);
    f("number", OPTIONAL_NUMBER{r.m_has_number, r.m_number});
}

template <class F>
void fields_of(RDB_METRIC_POINT& r, F&& f)
{
    f("path", r.m_path), f("label", r.m_label), f("value", r.m_value);
}

template <class F>
void fields_of(RDB_METRIC_HEADING& r, F&& f)
{
    f("path", r.m_path), f("column", r.m_column), f("heading", r.m_heading);
}

template <class F>
void fields_of(RDB_METRIC_COLUMN& r, F&& f)
{
    f("path", r.m_path), f("column", r.m_column), f("heading", r.m_heading), f("delays", r.m_delays);
    f("count", r.m_count), f("min", r.m_min), f("max", r.m_max), f("sum", r.m_sum), f("negatives", r.m_negatives);
}

template <class F>
void fields_of(RDB_METRIC_CELL& r, F&& f)
{
    f("path", r.m_path), f("row", r.m_row), f("column", r.m_column), f("kind", r.m_kind), f("text", r.m_text);
    f("number", OPTIONAL_NUMBER{r.m_has_number, r.m_number});
}

// One field into the record's dict.
struct TO_DICT {
    py::dict& m_out;
    void operator()(const char* name, const std::string& text) const { m_out[name] = rdb_py_str(text); }
    void operator()(const char* name, const OPTIONAL_NUMBER& n) const
    {
        m_out[name] = n.m_has ? py::object(py::float_(n.m_value)) : py::none();
    }
    template <class T>
    void operator()(const char* name, const T& value) const
    {
        m_out[name] = value;
    }
};

// One field out of a record's dict; a missing key or a value of another
// type is TypeError or KeyError naming it.
struct FROM_DICT {
    const py::dict& m_in;
    py::object at(const char* name) const
    {
        if (!m_in.contains(name))
            throw py::key_error(std::string("a record without '") + name + "'");
        return m_in[name];
    }
    void operator()(const char* name, const OPTIONAL_NUMBER& n) const
    {
        py::object value = at(name);
        n.m_has = !value.is_none();
        n.m_value = n.m_has ? value.cast<double>() : 0;
    }
    template <class T>
    void operator()(const char* name, T& value) const
    {
        value = at(name).cast<T>();
    }
};

template <class RECORD>
py::list records_to_python(std::vector<RECORD>& records)
{
    py::list out;
    for (RECORD& record : records) {
        py::dict fields;
        fields_of(record, TO_DICT{fields});
        out.append(std::move(fields));
    }
    return out;
}

template <class RECORD>
void records_from_python(const py::dict& metrics, const char* table, std::vector<RECORD>& records)
{
    if (!metrics.contains(table))
        throw py::key_error(std::string("metrics without '") + table + "'");
    for (py::handle item : metrics[table]) {
        py::dict fields = py::reinterpret_borrow<py::object>(item).cast<py::dict>();
        records.emplace_back();
        fields_of(records.back(), FROM_DICT{fields});
    }
}

// Every table of the records by its name in the index, one call each.
template <class F>
void tables_of(RDB_METRICS& m, F&& f)
{
    f("objects", m.m_objects), f("gauges", m.m_gauges), f("summary_rows", m.m_summary_rows);
    f("points", m.m_points), f("headings", m.m_headings), f("column_stats", m.m_columns);
    f("table_rows", m.m_table_rows), f("cells", m.m_cells);
}

}  // namespace

py::dict rdb_py_metrics_to_python(RDB_METRICS& metrics, const RDB_PY_METRICS_RUN& run)
{
    py::dict out;
    py::dict about;
    about["file"] = rdb_py_str(run.m_file);
    about["size"] = run.m_stat ? py::object(py::int_(run.m_size)) : py::none();
    about["mtime_ns"] = run.m_stat ? py::object(py::int_(run.m_mtime_ns)) : py::none();
    about["warnings"] = run.m_warnings;
    about["unlisted"] = metrics.m_unlisted;
    about["cells"] = run.m_cells;
    out["run"] = std::move(about);
    tables_of(metrics, [&out](const char* table, auto& records) { out[table] = records_to_python(records); });
    return out;
}

RDB_METRICS rdb_py_metrics_from_python(const py::dict& records, RDB_PY_METRICS_RUN& run)
{
    if (!records.contains("run"))
        throw py::key_error("metrics without 'run'");
    py::dict about = records["run"].cast<py::dict>();
    RDB_METRICS metrics;
    FROM_DICT field{about};
    run.m_stat = !field.at("size").is_none() && !field.at("mtime_ns").is_none();
    if (run.m_stat) {
        field("size", run.m_size);
        field("mtime_ns", run.m_mtime_ns);
    }
    field("warnings", run.m_warnings);
    field("unlisted", metrics.m_unlisted);
    field("cells", run.m_cells);
    tables_of(metrics, [&records](const char* table, auto& list) { records_from_python(records, table, list); });
    return metrics;
}

bool rdb_py_stat(const std::string& path, std::int64_t& size, std::int64_t& mtime_ns)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    size = status.st_size;
    mtime_ns = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return true;
}

namespace {

// The records of a Report, or of the file at a path parsed for them (its
// size and modification time taken before it is read, so that a file
// changed while it was read is read again by the next Index.add).
py::dict metrics(const py::object& source, bool cells)
{
    RDB_PY_METRICS_RUN run;
    run.m_cells = cells;
    py::object report = source;
    if (!py::isinstance<RDB_PY_REPORT>(source)) {
        std::string path = rdb_py_file_system_path(source);
        run.m_stat = rdb_py_stat(path, run.m_size, run.m_mtime_ns);
        report = py::module_::import("rdbxml").attr("parse")(source);
    }
    const auto& held = report.cast<const RDB_PY_REPORT&>();
    run.m_file = held.m_file;
    run.m_warnings = held.m_warnings;
    RDB_METRICS figures;
    {
        py::gil_scoped_release unlocked;
        if (const RDB_FOLDER_OBJECT* top = held.m_report->get_main_folder())
            figures = rdb_report_metrics(*top, cells);
    }
    return rdb_py_metrics_to_python(figures, run);
}

}  // namespace

void rdb_py_bind_metrics(py::module_& module)
{
    module.def("metrics", &metrics, py::arg("report"), py::arg("cells") = false,
               "The figures of a report as the index stores them, as plain Python values that pickle: a dict from "
               "each table's name ('objects', 'gauges', 'summary_rows', 'points', 'headings', 'column_stats', "
               "'table_rows', 'cells') to a list of records, each a dict keyed by the table's column names "
               "(delays in picoseconds; None where the index has NULL), and 'run': the file, its size and "
               "mtime_ns (None for a Report), its warnings, the objects left out for the length of their path "
               "(unlisted) and whether the cells are there. `report` is a Report, or the path of a report file, "
               "parsed for it (ParseError when refused). `cells` adds every cell of every table. Hand the dict, "
               "or a ParseError, to Index.put.");
}
