// rdbxml.Index's compiled part: the index of many runs (index/rdb_index.h)
// opened once, files added through the index's own driver (parsed on
// threads, written by this connection), and runs put in from records made
// elsewhere (rdbxml.metrics on a process pool or a Dask cluster). The
// queries are the package's, through Python's sqlite3. Every call releases
// the GIL while it parses or writes; one call at a time uses the database.
#include "rdb_py_metrics.h"

#include <pybind11/stl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <rdbxml/rdb_text_writer.h>

#include "rdb_index.h"

namespace {

struct RDB_PY_INDEX {
    std::unique_ptr<RDB_INDEX_DB> m_db;
    std::mutex m_use;
};

[[noreturn]] void raise_database_error(const std::string& error)
{
    PyErr_SetString(PyExc_OSError, error.c_str());
    throw py::error_already_set();
}

std::shared_ptr<RDB_PY_INDEX> open_index(const py::object& path, double wait)
{
    std::string name = rdb_py_file_system_path(path);
    auto index = std::make_shared<RDB_PY_INDEX>();
    std::string error;
    {
        py::gil_scoped_release unlocked;
        index->m_db = RDB_INDEX_DB::open(name, wait, false, error);
    }
    if (!index->m_db)
        raise_database_error(error);
    return index;
}

const char* outcome_name(RDB_INDEX_OUTCOME::WHAT what)
{
    switch (what) {
    case RDB_INDEX_OUTCOME::SKIPPED:
        return "unchanged";
    case RDB_INDEX_OUTCOME::GOOD:
        return "indexed";
    case RDB_INDEX_OUTCOME::FAILED:
        return "failed";
    case RDB_INDEX_OUTCOME::UNREADABLE:
        return "not read";
    case RDB_INDEX_OUTCOME::WRITE_FAILED:
        break;
    }
    return "not written";
}

// `files`: (path, label) pairs, the label None for the path as given.
py::list add(RDB_PY_INDEX& index, const py::list& files_and_labels, unsigned jobs, bool cells, bool strict)
{
    std::vector<RDB_INDEX_FILE> files;
    py::list given;
    for (py::handle pair : files_and_labels) {
        auto [path, label] = pair.cast<std::pair<py::object, py::object>>();
        given.append(path);
        files.push_back(RDB_INDEX_FILE{rdb_py_file_system_path(path),
                                       label.is_none() ? std::string() : rdb_py_file_system_path(label), -1});
    }
    RDB_INDEX_OPTIONS options;
    options.m_threads = jobs;
    options.m_cells = cells;
    options.m_strict = strict;
    std::vector<RDB_INDEX_OUTCOME> outcomes;
    bool written = false;
    {
        py::gil_scoped_release unlocked;
        std::lock_guard<std::mutex> one_at_a_time(index.m_use);
        written = rdb_index_add(*index.m_db, files, options,
                                [&outcomes](const RDB_INDEX_OUTCOME& outcome) { outcomes.push_back(outcome); });
    }
    if (!written)
        raise_database_error(outcomes.back().m_error);
    py::list told;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const RDB_INDEX_OUTCOME& outcome = outcomes[i];
        py::dict entry;
        entry["file"] = given[i];
        entry["outcome"] = outcome_name(outcome.m_what);
        entry["error"] = outcome.m_error.empty() ? py::object(py::none()) : py::object(rdb_py_str(outcome.m_error));
        entry["warnings"] = outcome.m_warnings;
        told.append(std::move(entry));
    }
    return told;
}

// The first error of a refused parse as the index keeps it: as the tool
// prints it, "FILE:LINE:COL: error: MESSAGE".
std::string first_error(const std::vector<RDB_XML_DIAGNOSTIC>& diagnostics, const std::string& file)
{
    for (const RDB_XML_DIAGNOSTIC& d : diagnostics) {
        if (d.m_severity == RDB_XML_DIAGNOSTIC::WARNING)
            continue;
        return rdb_text_escaped(rdb_xml_diagnostic_line(d));
    }
    return rdb_text_escaped(file) + ": error: no report";
}

void put(RDB_PY_INDEX& index, const py::object& file, const py::object& result, const py::object& label,
         const py::object& time)
{
    std::string path = rdb_py_file_system_path(file);
    RDB_INDEX_RUN run;
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        int code = errno;
        py::object name = py::module_::import("os").attr("fspath")(file);
        PyErr_SetObject(PyExc_OSError, py::make_tuple(code, std::strerror(code), name).ptr());
        throw py::error_already_set();
    }
    run.m_file = resolved;
    std::free(resolved);
    run.m_label = label.is_none() ? path : label.cast<std::string>();

    RDB_METRICS metrics;
    RDB_PY_METRICS_RUN about;
    bool good = !py::isinstance(result, py::module_::import("rdbxml").attr("ParseError"));
    if (good && py::isinstance(result, py::module_::import("builtins").attr("BaseException"))) {
        // The file could not be read (OSError): no run, as rdbxml index makes none.
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(result.ptr())), result.ptr());
        throw py::error_already_set();
    }
    if (good && !py::isinstance<py::dict>(result))
        throw py::type_error("the result of a run is the dict of rdbxml.metrics or its ParseError, not " +
                             py::str(py::type::of(result).attr("__name__")).cast<std::string>());
    if (good) {
        metrics = rdb_py_metrics_from_python(result.cast<py::dict>(), about);
    } else {
        auto diagnostics = result.attr("diagnostics").cast<std::vector<RDB_XML_DIAGNOSTIC>>();
        run.m_error = first_error(diagnostics, path);
        std::size_t listed = 0;
        for (const RDB_XML_DIAGNOSTIC& d : diagnostics)
            listed += d.m_severity == RDB_XML_DIAGNOSTIC::WARNING;
        about.m_warnings = py::getattr(result, "warnings", py::int_(listed)).cast<std::size_t>();
    }
    // The file as it was read, when the records say; else as it is now.
    if (!about.m_stat && !rdb_py_stat(run.m_file, about.m_size, about.m_mtime_ns)) {
        int code = errno;
        PyErr_SetObject(PyExc_OSError, py::make_tuple(code, std::strerror(code), file).ptr());
        throw py::error_already_set();
    }
    run.m_size = about.m_size;
    run.m_mtime_ns = about.m_mtime_ns;
    run.m_warnings = about.m_warnings;
    run.m_cells = about.m_cells;
    std::int64_t time_ns = run.m_mtime_ns;
    if (!time.is_none() && !rdb_index_read_time(time.cast<std::string>(), time_ns))
        throw py::value_error("time '" + time.cast<std::string>() +
                              "': not a time (YYYY-MM-DD[ HH:MM[:SS]], or @SECONDS)");
    run.m_time = rdb_index_time_text(time_ns);

    std::string error;
    bool written = false;
    {
        py::gil_scoped_release unlocked;
        std::lock_guard<std::mutex> one_at_a_time(index.m_use);
        written = index.m_db->put(run, good ? &metrics : nullptr, error);
    }
    if (!written)
        raise_database_error(error);
}

}  // namespace

void rdb_py_bind_index(py::module_& module)
{
    py::class_<RDB_PY_INDEX, std::shared_ptr<RDB_PY_INDEX>>(
        module, "_Index", "The database of an rdbxml.Index, open for writing.")
        .def(py::init(&open_index), py::arg("path"), py::arg("wait") = 60.0)
        .def("add", &add, py::arg("files"), py::arg("jobs") = 0, py::arg("cells") = false,
             py::arg("strict") = false)
        .def("put", &put, py::arg("file"), py::arg("result"), py::arg("label") = py::none(),
             py::arg("time") = py::none())
        .def("__reduce__", &rdb_py_refuse_pickle);
}
