// The report objects that are not tables: what every object has, folders,
// texts, embedded objects and waveforms; and the one place that gives each
// model object the Python class of its kind.
#include "rdb_py.h"

#include <pybind11/stl.h>

namespace {

// Makes the Python object of the visited object's own class.
class RDB_PY_WRAPPER : public RDB_OBJECT_VISITOR {
public:
    explicit RDB_PY_WRAPPER(const RDB_PY_OWNER& owner) : m_owner(owner) {}
    py::object take() { return std::move(m_result); }

    void visit(const RDB_OBJECT& object) override { hold(object); }
    void visit(const RDB_FOLDER_OBJECT& object) override { hold(object); }
    void visit(const RDB_TEXT_OBJECT& object) override { hold(object); }
    void visit(const RDB_LEGAL_OBJECT& object) override { hold(object); }
    void visit(const RDB_GAUGES_OBJECT& object) override { hold(object); }
    void visit(const RDB_EMBEDDED_OBJECT& object) override { hold(object); }
    void visit(const RDB_WAVEFORM_OBJECT& object) override { hold(object); }
    void visit(const RDB_TABLE_OBJECT& object) override { hold(object); }
    void visit(const RDB_SUMMARY_TABLE_OBJECT& object) override { hold(object); }
    void visit(const RDB_CHART_TABLE_OBJECT& object) override { hold(object); }
    void visit(const RDB_TAN_TABLE_OBJECT& object) override { hold(object); }
    void visit(const RDB_TAN_SPD_TABLE_OBJECT& object) override { hold(object); }
    void visit(const RDB_TAN_SLACK_TABLE_OBJECT& object) override { hold(object); }

private:
    template <class T>
    void hold(const T& object)
    {
        m_result = py::cast(rdb_py_hold(m_owner, &object));
    }

    const RDB_PY_OWNER& m_owner;
    py::object m_result;
};

py::list objects_of(const std::shared_ptr<RDB_FOLDER_OBJECT>& folder)
{
    py::list objects;
    for (const RDB_OBJECT* object : folder->objects())
        objects.append(rdb_py_object(folder, object));
    return objects;
}

}  // namespace

py::object rdb_py_object(const RDB_PY_OWNER& owner, const RDB_OBJECT* object)
{
    if (object == nullptr)
        return py::none();
    RDB_PY_WRAPPER wrapper(owner);
    object->accept(wrapper);
    return wrapper.take();
}

py::str rdb_py_str(std::string_view text)
{
    PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    if (decoded == nullptr)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

py::tuple rdb_py_reduce_by_state(py::handle self)
{
    py::object new_object = py::module_::import("copyreg").attr("__newobj__");
    return py::make_tuple(new_object, py::make_tuple(py::type::of(self)), self.attr("__getstate__")());
}

void rdb_py_refuse_pickle(py::handle self)
{
    throw py::type_error(py::str("cannot pickle '{}.{}' object")
                             .format(py::type::of(self).attr("__module__"), py::type::of(self).attr("__name__")));
}

py::object rdb_py_optional_str(const STL_STRING* text)
{
    if (text == nullptr)
        return py::none();
    return rdb_py_str(text->view());
}

void rdb_py_bind_objects(py::module_& module)
{
    rdb_py_held_class<RDB_OBJECT>(module, "Object",
                             "An object of a report: a folder, text, table, chart, ... It keeps its report alive.")
        .def_property_readonly(
            "kind", [](const RDB_OBJECT& o) { return std::string(o.get_kind()); },
            "The kind's name as the JSON has it: 'folder', 'table', 'tan_slack_table', 'summary', ...")
        .def_property_readonly(
            "name", [](const RDB_OBJECT& o) { return rdb_py_str(o.get_name().view()); }, "The object's name.")
        .def_property_readonly(
            "creator", [](const RDB_OBJECT& o) { return rdb_py_str(o.get_creator_module().view()); },
            "The module that made the object ('' when not given).")
        .def_property_readonly("enabled", &RDB_OBJECT::is_enabled, "Whether the object is enabled.")
        .def_property_readonly(
            "header", [](const RDB_OBJECT& o) { return rdb_py_optional_str(o.get_header()); },
            "The header text, or None.")
        .def_property_readonly(
            "footer", [](const RDB_OBJECT& o) { return rdb_py_optional_str(o.get_footer()); },
            "The footer text, or None.")
        .def_property_readonly(
            "path", [](const RDB_OBJECT& o) { return rdb_py_str(rdb_object_path(o)); },
            "The object's path in its report, as in 'main/timing/Setup slack'.")
        .def("__repr__", [](py::handle self) {
            return py::str("<rdbxml.{} {!r}>")
                .format(py::type::of(self).attr("__name__"), rdb_py_str(rdb_object_path(self.cast<const RDB_OBJECT&>())));
        });

    rdb_py_held_class<RDB_FOLDER_OBJECT, RDB_OBJECT>(module, "Folder", "A folder: an ordered list of objects.")
        .def_property_readonly("objects", &objects_of, "The folder's objects, in order.");

    rdb_py_held_class<RDB_TEXT_OBJECT, RDB_OBJECT>(module, "Text", "A text object.")
        .def_property_readonly(
            "text", [](const RDB_TEXT_OBJECT& o) { return rdb_py_optional_str(o.get_text()); },
            "The body text, or None.");
    rdb_py_held_class<RDB_LEGAL_OBJECT, RDB_TEXT_OBJECT>(module, "Legal", "A legal notice: a text object.");

    rdb_py_held_class<RDB_EMBEDDED_OBJECT, RDB_OBJECT>(module, "Embedded", "An embedded object: an info text of a type.")
        .def_property_readonly(
            "embedded_type",
            [](const RDB_EMBEDDED_OBJECT& o) { return std::string(rdb_embedded_type_name(o.get_embedded_type())); },
            "'generic', 'image', 'html' or 'text'.")
        .def_property_readonly(
            "info", [](const RDB_EMBEDDED_OBJECT& o) { return rdb_py_str(o.get_info_str().view()); },
            "The info text.");
    rdb_py_held_class<RDB_WAVEFORM_OBJECT, RDB_EMBEDDED_OBJECT>(module, "Waveform",
                                                          "A waveform: an embedded object naming its vector files.")
        .def_property_readonly(
            "source_vector",
            [](const RDB_WAVEFORM_OBJECT& o) { return rdb_py_str(o.get_source_vector_file_name().view()); },
            "The source vector file's name.")
        .def_property_readonly(
            "result_vector",
            [](const RDB_WAVEFORM_OBJECT& o) { return rdb_py_str(o.get_result_vector_file_name().view()); },
            "The result vector file's name.")
        .def_property_readonly("compare_mode", &RDB_WAVEFORM_OBJECT::get_compare_mode,
                               "Whether the result vectors are compared against expected ones.");
}
