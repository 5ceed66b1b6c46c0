// A report's figures (rdb_metrics.h) as Python's plain values and back:
// shared by rdbxml.metrics and rdbxml.Index.
#pragma once

#include <cstdint>

#include <rdbxml/rdb_metrics.h>

#include "rdb_py.h"

// What a run is besides its records: the "run" entry of the dict.
struct RDB_PY_METRICS_RUN {
    std::string m_file;   // the input's name
    bool m_stat = false;  // the file's size and modification time are known
    std::int64_t m_size = 0;
    std::int64_t m_mtime_ns = 0;
    std::size_t m_warnings = 0;
    bool m_cells = false;  // the records hold every cell
};

py::dict rdb_py_metrics_to_python(RDB_METRICS& metrics, const RDB_PY_METRICS_RUN& run);
// The records of a dict of rdbxml.metrics, with its "run" (whose m_file it
// leaves as it is). KeyError or TypeError for a dict of another shape.
RDB_METRICS rdb_py_metrics_from_python(const py::dict& records, RDB_PY_METRICS_RUN& run);

// The size and modification time (ns) of the file at `path`; false when
// it cannot be looked at.
bool rdb_py_stat(const std::string& path, std::int64_t& size, std::int64_t& mtime_ns);

void rdb_py_bind_metrics(py::module_& module);
void rdb_py_bind_index(py::module_& module);
