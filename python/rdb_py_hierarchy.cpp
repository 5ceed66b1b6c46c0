// rdbxml.Hierarchy: an instance hierarchy loaded once and handed to any
// number of parses, on any threads. Nothing changes a loaded hierarchy, so
// parses share it as they are; each report that resolved against it holds
// it, so it lives as long as the last of them or the Python object.
#include "rdb_py.h"

#include <rdbxml/hdb_instance.h>

namespace {

struct RDB_PY_HIERARCHY {
    std::shared_ptr<HDB_HIERARCHY> m_loaded;
    std::string m_path;  // the file system's bytes, as given
};

std::shared_ptr<HDB_HIERARCHY> load_file(const std::string& path, std::string* error)
{
    STL_STRING reason;
    std::shared_ptr<HDB_HIERARCHY> loaded = HDB_HIERARCHY::load(path.c_str(), &reason);
    if (!loaded)
        *error = reason.str();
    return loaded;
}

std::shared_ptr<RDB_PY_HIERARCHY> load_for_python(const py::object& path)
{
    auto held = std::make_shared<RDB_PY_HIERARCHY>();
    held->m_path = rdb_py_file_system_path(path);
    std::string error;
    {
        py::gil_scoped_release unlocked;
        held->m_loaded = load_file(held->m_path, &error);
    }
    if (!held->m_loaded)
        rdb_py_hierarchy_error(error);
    return held;
}

py::object file_of(const RDB_PY_HIERARCHY& held)
{
    return py::module_::import("os").attr("fsdecode")(py::bytes(held.m_path));
}

}  // namespace

std::string rdb_py_file_system_path(const py::object& path)
{
    std::string bytes = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
    // The system would read the name only up to the NUL: another file.
    if (bytes.find('\0') != std::string::npos)
        throw py::value_error("embedded null byte");
    return bytes;
}

void rdb_py_hierarchy_error(const std::string& reason)
{
    throw py::value_error("cannot load the hierarchy: " + reason);
}

RDB_PY_HIERARCHY_ARGUMENT::RDB_PY_HIERARCHY_ARGUMENT(const py::object& argument)
{
    if (argument.is_none())
        return;
    if (py::isinstance<RDB_PY_HIERARCHY>(argument))
        m_loaded = argument.cast<const RDB_PY_HIERARCHY&>().m_loaded;
    else
        m_path = rdb_py_file_system_path(argument);
}

std::shared_ptr<HDB_HIERARCHY> RDB_PY_HIERARCHY_ARGUMENT::load(std::string* error) const
{
    if (m_loaded || m_path.empty())
        return m_loaded;
    return load_file(m_path, error);
}

void rdb_py_bind_hierarchy(py::module_& module)
{
    py::class_<RDB_PY_HIERARCHY, std::shared_ptr<RDB_PY_HIERARCHY>>(
        module, "Hierarchy",
        "An instance hierarchy file (one '/'-separated instance path a line), loaded once. Hand it as the "
        "hierarchy of any number of parses, on any threads at once: none of them loads the file again, and "
        "each report keeps it alive. ValueError, naming the file and line, when it cannot be loaded.")
        .def(py::init(&load_for_python), py::arg("path"))
        .def_property_readonly("file", &file_of, "The path it was loaded from, as given.")
        .def("__reduce__", &rdb_py_refuse_pickle)
        .def("__repr__",
             [](const RDB_PY_HIERARCHY& held) { return py::str("<rdbxml.Hierarchy {!r}>").format(file_of(held)); });
}
