// The Python module's shared pieces: the report every Python object refers
// into, how a model object is handed to Python, and the text conversions.
//
// Lifetime: a parsed report lives in an RDB_PY_REPORT held by shared_ptr.
// Every model object Python sees is held by a shared_ptr that shares the
// ownership of that RDB_PY_REPORT (the aliasing constructor), so no object,
// row iterator or folder outlives the report it points into. Values copied
// out of the report (rows, cells, delays, gauges) hold nothing.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

namespace py = pybind11;

// A report with what it points into. The hierarchy is declared first so
// that it is released after the report, whose cells point at its instances;
// it is shared with the rdbxml.Hierarchy it came from, if any, and with
// every other report that resolved against that.
struct RDB_PY_REPORT {
    std::shared_ptr<HDB_HIERARCHY> m_hierarchy;
    std::unique_ptr<RDB_REPORT> m_report;
    std::vector<RDB_XML_DIAGNOSTIC> m_diagnostics;
    std::vector<std::string> m_messages;  // the parse's RDB_XML lines
    std::string m_file;                   // the input's name
    // The parse's warnings: the diagnostics keep the first hundred of each
    // kind, this counts them all (as the tool and the index count them).
    std::size_t m_warnings = 0;
};

// The warnings a parse had: its totals, or the diagnostics listed when
// the parse ended before its totals.
std::size_t rdb_py_warnings(const RDB_XML_RESULT& result);

// The holder that keeps a report alive: any model object held for Python
// (or the report itself) shares the ownership of its RDB_PY_REPORT.
typedef std::shared_ptr<const void> RDB_PY_OWNER;

// `object`, held so that it keeps `owner`'s report alive. The model is only
// read through it; the const goes because Python has none.
template <class T>
std::shared_ptr<T> rdb_py_hold(const RDB_PY_OWNER& owner, const T* object)
{
    return std::shared_ptr<T>(owner, const_cast<T*>(object));
}

// How pickle takes the module's values, in every protocol. pybind11's
// py::pickle gives __getstate__ and __setstate__, which protocols 2 and up
// use; protocols 0 and 1 would instead make an object of pybind11's base
// class, and that ends the process. So each class says itself how it
// pickles: a value by its state, through copyreg.__newobj__ as protocol 2
// does (rdb_py_reduce_by_state); an object that lives in a report, in this
// process alone, with the TypeError pickle gives (rdb_py_refuse_pickle).
py::tuple rdb_py_reduce_by_state(py::handle self);
[[noreturn]] void rdb_py_refuse_pickle(py::handle self);

// Makes Python free an object of class T (held by std::shared_ptr<T>) only
// through its holder. pybind11 deletes a new wrapper's object itself when
// the wrapper is given up before its holder was made, as when registering
// the wrapper runs out of memory; but every such object belongs to a report
// (or to the shared_ptr being cast), which deletes it again later. Without a
// holder, nothing here is Python's to free: the cast fails with
// MemoryError and the object stays with its owner.
template <class T>
void rdb_py_free_only_through_holder()
{
    py::detail::get_type_info(typeid(T))->dealloc = [](py::detail::value_and_holder& v_h) {
        if (v_h.holder_constructed()) {
            // The destructor may run Python code; a pending error would make that fail.
            py::error_scope scope;
            v_h.holder<std::shared_ptr<T>>().~shared_ptr<T>();
            v_h.set_holder_constructed(false);
        }
        v_h.value_ptr() = nullptr;
    };
}

// py::class_ of a report's object or of the report, with the rule above.
template <class T, class... BASES>
py::class_<T, BASES..., std::shared_ptr<T>> rdb_py_held_class(py::handle scope, const char* name, const char* doc)
{
    py::class_<T, BASES..., std::shared_ptr<T>> cls(scope, name, doc);
    rdb_py_free_only_through_holder<T>();
    cls.def("__reduce__", &rdb_py_refuse_pickle);
    return cls;
}

// A report object as the Python class of its own kind; None for null.
py::object rdb_py_object(const RDB_PY_OWNER& owner, const RDB_OBJECT* object);

// Text of the report as str: UTF-8, with each ill-formed part replaced by
// U+FFFD (as the JSON writer repairs it).
py::str rdb_py_str(std::string_view text);
// An optional text of the model (header, footer, body): None when null.
py::object rdb_py_optional_str(const STL_STRING* text);

// A cell's value as rows hold it: str, int, Delay, or an instance name's
// path (the resolved instance's when there is one, else as written); None
// for a missing cell.
py::object rdb_py_cell_value(const RDB_TABLE_ELEMENT* cell);

// The hierarchy argument of a parse: None, an rdbxml.Hierarchy, or the path
// of a file loaded for that parse alone. Made with the GIL held; load()
// needs none.
class RDB_PY_HIERARCHY_ARGUMENT {
public:
    explicit RDB_PY_HIERARCHY_ARGUMENT(const py::object& argument);
    bool given() const { return m_loaded != nullptr || !m_path.empty(); }
    // The hierarchy; null, with the loader's reason ("file:line: ...") in
    // `error`, when the file cannot be loaded.
    std::shared_ptr<HDB_HIERARCHY> load(std::string* error) const;

private:
    std::shared_ptr<HDB_HIERARCHY> m_loaded;
    std::string m_path;  // the file system's bytes
};

// The error of a hierarchy that could not be loaded, as Python sees it.
[[noreturn]] void rdb_py_hierarchy_error(const std::string& reason);

// A path given as str, bytes or os.PathLike, as the file system's bytes;
// ValueError for one holding a NUL, as Python's own functions say.
std::string rdb_py_file_system_path(const py::object& path);

// The parts of the module, each registering its classes and functions.
void rdb_py_bind_hierarchy(py::module_& module);
void rdb_py_bind_parse(py::module_& module);
void rdb_py_bind_objects(py::module_& module);
void rdb_py_bind_tables(py::module_& module);

// A table as a pandas DataFrame (rdb_py_pandas.cpp), its delays in the unit
// named ('ps', 'ns', 'mhz'; ValueError for another), or with None in each
// column's first delay's, as the CSV has them.
py::object rdb_py_to_pandas(const RDB_TABLE_OBJECT& table, const py::object& unit);
// A summary's gauges as a DataFrame: a row per gauge in slot order.
py::object rdb_py_gauges_to_pandas(const RDB_GAUGES_OBJECT& gauges);
