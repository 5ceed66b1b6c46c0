// The module: parse and parse_bytes, the report they return and the
// diagnostics of a parse (rdbxml.Hierarchy: rdb_py_hierarchy.cpp). The parse runs without the GIL, so that threads
// parse at the same time; nothing in it calls into Python but the check for
// signals of a parse on the main thread.
#include "rdb_py.h"
#include "rdb_py_metrics.h"

#include <pybind11/stl.h>

#include <cxxabi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <sstream>

#include <rdbxml/rdb_json_writer.h>

namespace {

const char* severity_name(RDB_XML_DIAGNOSTIC::SEVERITY severity)
{
    switch (severity) {
    case RDB_XML_DIAGNOSTIC::WARNING:
        return "warning";
    case RDB_XML_DIAGNOSTIC::FATAL_ERROR:
        return "fatal error";
    default:
        return "error";
    }
}

// "FILE:LINE:COLUMN: SEVERITY: MESSAGE", as compilers write it; the place
// left out where it is not known.
std::string diagnostic_line(const RDB_XML_DIAGNOSTIC& d)
{
    std::string line = d.m_file;
    if (d.m_line != 0)
        line += ":" + std::to_string(d.m_line) + ":" + std::to_string(d.m_column);
    return line + ": " + severity_name(d.m_severity) + ": " + d.m_message;
}

}  // namespace

std::size_t rdb_py_warnings(const RDB_XML_RESULT& result)
{
    std::size_t listed = 0;
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
        listed += d.m_severity == RDB_XML_DIAGNOSTIC::WARNING;
    return std::max(listed, static_cast<std::size_t>(result.m_warnings + result.m_not_as_written));
}

namespace {

// A diagnostic as pickle keeps it (with ParseError): its texts as the bytes
// the parse gave, so that they come back as they were. (The errno of an
// input that could not be read never reaches Python as a diagnostic: it is
// an OSError.)
py::tuple diagnostic_state(const RDB_XML_DIAGNOSTIC& d)
{
    return py::make_tuple(static_cast<int>(d.m_severity), py::bytes(d.m_file), d.m_line, d.m_column,
                          py::bytes(d.m_message));
}

RDB_XML_DIAGNOSTIC diagnostic_from_state(const py::tuple& state)
{
    int severity = state.size() == 5 ? state[0].cast<int>() : -1;
    if (severity < RDB_XML_DIAGNOSTIC::WARNING || severity > RDB_XML_DIAGNOSTIC::FATAL_ERROR)
        throw py::value_error("not the state of a Diagnostic");
    RDB_XML_DIAGNOSTIC d;
    d.m_severity = static_cast<RDB_XML_DIAGNOSTIC::SEVERITY>(severity);
    d.m_file = state[1].cast<std::string>();
    d.m_line = state[2].cast<std::uint64_t>();
    d.m_column = state[3].cast<std::uint64_t>();
    d.m_message = state[4].cast<std::string>();
    return d;
}

// The parse options Python passes besides the input.
struct PARSE_SETTINGS {
    py::object hierarchy;
    bool schema;
    bool namespaces;
    bool static_buffers;
    bool dead_parser;
    bool strict;
};

// Python runs a signal's handler (Ctrl-C's raises KeyboardInterrupt) on
// its main thread only, and only between its own steps: a long parse there
// would hold the signal until it ended. So a parse on the main thread looks
// for signals as it reads, with the GIL taken for the moment of the look;
// whatever a handler raises ends the parse and is raised in its place. Made
// with the GIL held. Parses on other threads never take the GIL.
class SIGNAL_CHECK {
public:
    // A handler runs inside the parse, on its thread, where no second parse
    // can start: RuntimeError for a parse it asks for.
    static void refuse_a_parse_inside_a_handler()
    {
        if (t_in_handler)
            throw std::runtime_error("a signal handler cannot parse while it interrupts a parse");
    }

    // The signal module's own test of the thread, which (unlike asking
    // the threading module) neither imports nor allocates.
    SIGNAL_CHECK() : m_main_thread(_PyOS_IsMainThread() != 0) {}

    // The parse's progress callback: none off the main thread.
    RDB_XML_PROGRESS progress()
    {
        if (!m_main_thread)
            return RDB_XML_PROGRESS();
        return [this](std::uint64_t, std::uint64_t) { return look(); };
    }

    // With the GIL, after the parse: raises what a handler raised.
    void raise_caught()
    {
        if (m_raised) {
            m_raised->restore();
            throw py::error_already_set();
        }
    }

private:
    // The reader asks for its input 48 KiB at a time. Taking the GIL while
    // another thread runs Python waits for that thread's turn to end (up to
    // its switch interval, 5 ms): so the look is at every 32nd call, which
    // stops a parse within about 1.5 MiB of the signal (tens of ms).
    static constexpr unsigned LOOK_EVERY = 32;

    bool look()
    {
        if (m_calls++ % LOOK_EVERY != 0)
            return true;
        py::gil_scoped_acquire gil;
        t_in_handler = true;
        int raised = PyErr_CheckSignals();
        t_in_handler = false;
        if (raised == 0)
            return true;
        m_raised.emplace();  // takes the handler's exception from Python
        return false;
    }

    static thread_local bool t_in_handler;

    bool m_main_thread;
    unsigned m_calls = 0;
    std::optional<py::error_already_set> m_raised;
};

thread_local bool SIGNAL_CHECK::t_in_handler = false;

// The input could not be opened: the OSError Python's own open() raises
// for it (FileNotFoundError, IsADirectoryError, PermissionError, ...), with
// the path as open() names it (a path object as its str or bytes).
[[noreturn]] void raise_unreadable(int code, const py::object& path)
{
    py::object name = py::module_::import("os").attr("fspath")(path);
    py::object error = py::module_::import("builtins").attr("OSError")(code, std::strerror(code), name);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

[[noreturn]] void raise_parse_error(const RDB_PY_REPORT& held, const RDB_XML_RESULT& result)
{
    std::string message;
    std::size_t errors = 0;
    for (const RDB_XML_DIAGNOSTIC& d : held.m_diagnostics)
        if (d.m_severity != RDB_XML_DIAGNOSTIC::WARNING && errors++ == 0)
            message = diagnostic_line(d);
    if (errors == 0)
        message = held.m_file + ": error: " +
                  (result.m_out_of_memory ? "out of memory" : result.m_cancelled ? "cancelled" : "no report");
    else if (errors > 1)
        message += " (and " + std::to_string(errors - 1) + " more)";
    py::object error = py::module_::import("rdbxml").attr("ParseError")(rdb_py_str(message), py::cast(held.m_diagnostics, py::return_value_policy::copy));
    error.attr("warnings") = held.m_warnings;
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

// Parses `input` with the GIL released: the report with its hierarchy and
// diagnostics; or ParseError, the OSError of the file `path` when it could
// not be opened, or what a signal's handler raised.
py::object parse_input(const RDB_XML_INPUT& input, const PARSE_SETTINGS& settings, const py::object& path)
{
    SIGNAL_CHECK::refuse_a_parse_inside_a_handler();
    RDB_PY_HIERARCHY_ARGUMENT hierarchy(settings.hierarchy);
    SIGNAL_CHECK signals;
    auto held = std::make_shared<RDB_PY_REPORT>();
    held->m_file = input.m_name;
    RDB_XML_RESULT result;
    std::string hierarchy_error;
    {
        py::gil_scoped_release unlocked;
        held->m_hierarchy = hierarchy.load(&hierarchy_error);
        if (!hierarchy.given() || held->m_hierarchy) {
            RDB_XML_OPTIONS options;
            options.m_action_point = held->m_hierarchy ? held->m_hierarchy->action_point() : nullptr;
            options.m_use_schema = settings.schema;
            options.m_use_namespaces = settings.namespaces;
            options.m_use_static_buffers = settings.static_buffers;
            options.m_dead_parser = settings.dead_parser;
            options.m_strict = settings.strict;
            options.m_progress = signals.progress();
            std::vector<std::string>& messages = held->m_messages;
            options.m_message_sink = [&messages](const char* tag, const char* text) {
                try {
                    messages.push_back(std::string(tag) + ": " + text);
                } catch (const std::bad_alloc&) {
                    // A line lost to a lack of memory; the parse says what failed.
                }
            };
            result = rdb_xml_parse_input(input, options);
        }
    }
    signals.raise_caught();
    if (hierarchy.given() && !held->m_hierarchy)
        rdb_py_hierarchy_error(hierarchy_error);
    held->m_warnings = rdb_py_warnings(result);
    held->m_diagnostics = std::move(result.m_diagnostics);
    if (!result.m_report) {
        for (const RDB_XML_DIAGNOSTIC& d : held->m_diagnostics)
            if (d.m_errno != 0)
                raise_unreadable(d.m_errno, path);
        raise_parse_error(*held, result);
    }
    held->m_report = std::move(result.m_report);
    return py::cast(std::shared_ptr<RDB_PY_REPORT>(std::move(held)));
}

// The bytes of a Python object with the buffer protocol, held until the end
// of the scope.
class BUFFER_VIEW {
public:
    explicit BUFFER_VIEW(const py::object& data)
    {
        if (PyObject_GetBuffer(data.ptr(), &m_view, PyBUF_SIMPLE) != 0)
            throw py::error_already_set();
    }
    ~BUFFER_VIEW() { PyBuffer_Release(&m_view); }
    BUFFER_VIEW(const BUFFER_VIEW&) = delete;
    BUFFER_VIEW& operator=(const BUFFER_VIEW&) = delete;

    const void* data() const { return m_view.buf; }
    std::size_t size() const { return static_cast<std::size_t>(m_view.len); }

private:
    Py_buffer m_view;
};

const RDB_FOLDER_OBJECT* main_folder(const RDB_PY_REPORT& held) { return held.m_report->get_main_folder(); }

// What walk() returns: the objects taken one at a time, each path made as
// its object is reached, so that a walk holds the current path alone (a
// list of every path of a deep folder chain would hold the sum of all its
// depths). The iterator keeps the report alive.
class RDB_PY_WALK {
public:
    explicit RDB_PY_WALK(std::shared_ptr<RDB_PY_REPORT> held) : m_held(std::move(held))
    {
        if (const RDB_FOLDER_OBJECT* top = main_folder(*m_held))
            m_cursor = std::make_unique<RDB_PATH_CURSOR>(*top);
    }

    py::tuple next()
    {
        if (!m_cursor || !m_cursor->next()) {
            m_cursor.reset();
            throw py::stop_iteration();
        }
        return py::make_tuple(rdb_py_str(m_cursor->path()), rdb_py_object(m_held, &m_cursor->object()));
    }

private:
    std::shared_ptr<RDB_PY_REPORT> m_held;
    std::unique_ptr<RDB_PATH_CURSOR> m_cursor;
};

// Shared, as the model's objects are held (rdb_py_held_class): should
// wrapping it run out of memory, only the holder frees it.
std::shared_ptr<RDB_PY_WALK> walk(const std::shared_ptr<RDB_PY_REPORT>& held)
{
    return std::make_shared<RDB_PY_WALK>(held);
}

py::list select(const std::shared_ptr<RDB_PY_REPORT>& held, const std::string& pattern)
{
    RDB_PATH_PATTERN compiled(pattern);
    if (!compiled.is_valid())
        throw py::value_error("bad pattern '" + pattern + "': " + compiled.get_error());
    py::list matches;
    if (const RDB_FOLDER_OBJECT* top = main_folder(*held))
        for (const RDB_PATH_MATCH& match : rdb_select_paths(*top, compiled))
            matches.append(py::make_tuple(rdb_py_str(match.m_path), rdb_py_object(held, match.m_object)));
    return matches;
}

py::str to_json(const RDB_PY_REPORT& held)
{
    std::string text;
    {
        py::gil_scoped_release unlocked;
        std::ostringstream out;
        rdb_write_json(held.m_report.get(), out);
        text = std::move(out).str();
    }
    return rdb_py_str(text);
}

const char* const PARSE_OPTIONS_DOC =
    " `hierarchy` is what instance names resolve against: a Hierarchy, loaded once for any number of parses, "
    "or an instance hierarchy file (one '/'-separated instance path a line) loaded for this parse; `schema` validates against the schema (and turns namespaces on); `namespaces`, "
    "`static_buffers` and `dead_parser` are the parser's options (a dead parser reads and checks the file but "
    "builds an empty report); `strict` refuses the report for any warning (content passed over or not taken "
    "as written, the XML parser's own), as a CI check that must not pass on a file read differently from how "
    "it was written. The parse releases the GIL. Raises ParseError, with the diagnostics, when the "
    "report is refused; ValueError when the hierarchy cannot be loaded. On the main thread a signal ends the "
    "parse with what its handler raises (Ctrl-C: KeyboardInterrupt). Python delivers signals to the main thread "
    "only: a parse on any other thread runs to its end.";

void bind_report(py::module_& module)
{
    rdb_py_held_class<RDB_PY_WALK>(module, "_Walk", "An iterator over a report's objects with their paths (Report.walk).")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &RDB_PY_WALK::next);

    py::class_<RDB_XML_DIAGNOSTIC>(module, "Diagnostic", "A warning or error of a parse, where it was found.")
        .def_property_readonly(
            "severity", [](const RDB_XML_DIAGNOSTIC& d) { return std::string(severity_name(d.m_severity)); },
            "'warning', 'error' or 'fatal error'.")
        .def_property_readonly(
            "file", [](const RDB_XML_DIAGNOSTIC& d) { return rdb_py_str(d.m_file); },
            "The input's name: the path, or the name given with the bytes.")
        .def_readonly("line", &RDB_XML_DIAGNOSTIC::m_line, "The line, from 1; 0 when not known.")
        .def_readonly("column", &RDB_XML_DIAGNOSTIC::m_column, "The column, from 1; 0 when not known.")
        .def_property_readonly(
            "message", [](const RDB_XML_DIAGNOSTIC& d) { return rdb_py_str(d.m_message); }, "What was found.")
        .def(py::pickle(&diagnostic_state, &diagnostic_from_state))
        .def("__reduce__", &rdb_py_reduce_by_state)
        .def("__str__", [](const RDB_XML_DIAGNOSTIC& d) { return rdb_py_str(diagnostic_line(d)); })
        .def("__repr__",
             [](const RDB_XML_DIAGNOSTIC& d) { return py::str("<rdbxml.Diagnostic {!r}>").format(diagnostic_line(d)); });

    rdb_py_held_class<RDB_PY_REPORT>(
        module, "Report", "A parsed report. Every object taken from it keeps it alive.")
        .def_property_readonly(
            "main_folder",
            [](const std::shared_ptr<RDB_PY_REPORT>& held) { return rdb_py_object(held, main_folder(*held)); },
            "The main folder, or None (a report read by the dead parser has none).")
        .def_property_readonly(
            "current_folder",
            [](const std::shared_ptr<RDB_PY_REPORT>& held) {
                return rdb_py_object(held, held->m_report->get_current_folder());
            },
            "The folder the report names as current, or None.")
        .def_property_readonly(
            "file", [](const RDB_PY_REPORT& held) { return rdb_py_str(held.m_file); }, "The input's name.")
        .def_property_readonly(
            "diagnostics", [](const RDB_PY_REPORT& held) { return held.m_diagnostics; },
            "The warnings of the parse, as Diagnostic values.")
        .def_property_readonly(
            "messages", [](const RDB_PY_REPORT& held) { return held.m_messages; },
            "The parse's own lines ('RDB_XML: Parsing completed in ...').")
        .def("walk", &walk,
             "Every object with its path, as (path, object), in document order: each folder before what it "
             "holds, a summary before its gauges. Paths as in 'main/timing/Setup slack'. Each path is made as "
             "its object is reached: the walk holds one at a time.")
        .def("select", &select, py::arg("pattern"),
             "The (path, object) pairs whose path matches `pattern` ('*' and '?' within a step, '**' across "
             "steps), in the order of walk(). ValueError for a malformed pattern.")
        .def("to_json", &to_json, "The report as JSON: the same text as the 'report' of the tool's --json.")
        .def("__repr__", [](const RDB_PY_REPORT& held) { return py::str("<rdbxml.Report {!r}>").format(held.m_file); });
}

}  // namespace

void rdb_py_bind_parse(py::module_& module)
{
    bind_report(module);
    module.def(
        "parse",
        [](const py::object& path, const py::object& hierarchy, bool schema, bool namespaces, bool static_buffers,
           bool dead_parser, bool strict) {
            PARSE_SETTINGS settings{hierarchy, schema, namespaces, static_buffers, dead_parser, strict};
            return parse_input(RDB_XML_INPUT::file(rdb_py_file_system_path(path)), settings, path);
        },
        py::arg("path"), py::arg("hierarchy") = py::none(), py::arg("schema") = false, py::kw_only(),
        py::arg("namespaces") = true, py::arg("static_buffers") = true, py::arg("dead_parser") = false,
        py::arg("strict") = false,
        (std::string("Reads a report file (XML: plain, gzip, zstd or xz) into a Report. A file that cannot be "
                     "opened raises the OSError that open() raises (FileNotFoundError, IsADirectoryError, "
                     "PermissionError), a path holding a NUL ValueError.") +
         PARSE_OPTIONS_DOC)
            .c_str());
    module.def(
        "parse_bytes",
        [](const py::object& data, const py::object& hierarchy, bool schema, const std::string& name,
           bool namespaces, bool static_buffers, bool dead_parser, bool strict) {
            PARSE_SETTINGS settings{hierarchy, schema, namespaces, static_buffers, dead_parser, strict};
            BUFFER_VIEW bytes(data);
            return parse_input(RDB_XML_INPUT::memory(bytes.data(), bytes.size(), name), settings, py::none());
        },
        py::arg("data"), py::arg("hierarchy") = py::none(), py::arg("schema") = false, py::kw_only(),
        py::arg("name") = "<memory>", py::arg("namespaces") = true, py::arg("static_buffers") = true,
        py::arg("dead_parser") = false, py::arg("strict") = false,
        (std::string("Reads a report held in memory (bytes or any buffer; plain or compressed) into a Report; "
                     "`name` stands for it in diagnostics.") +
         PARSE_OPTIONS_DOC)
            .c_str());
}

PYBIND11_MODULE(_rdbxml, module)
{
    module.doc() = "The report reader's binding; import it as the package rdbxml.";
    // The C++ runtime comes into the interpreter with this module, so its
    // thread-local data is made by a thread's first exception, and the C
    // library ends the process when it has no memory for that. Made now,
    // the importing thread's later exceptions (StopIteration at the end of
    // every walk) cannot end it so.
    void* volatile exception_data = abi::__cxa_get_globals();
    (void)exception_data;
    module.attr("__version__") = rdb_xml_version();
    rdb_py_bind_objects(module);
    rdb_py_bind_tables(module);
    rdb_py_bind_hierarchy(module);
    rdb_py_bind_parse(module);
    rdb_py_bind_metrics(module);
    rdb_py_bind_index(module);
}
