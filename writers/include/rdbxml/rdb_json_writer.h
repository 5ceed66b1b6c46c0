// The JSON form of a report, streamed to an output stream as it is walked
// (no second copy of the report is built).
//
// Shape:
//   REPORT: {"main_folder": FOLDER or null, "current_folder": name or null}
//   every object: "kind", "name", "path", "creator", "enabled", "header",
//     "footer" (header and footer null when never set), then by kind. The
//     path is the object's in the report (rdb_path.h), the text --select
//     matches, so an object picked out of the JSON can be selected again:
//     'main/timing/Setup slack[2]'. A path longer than RDB_JSON_PATH_LIMIT
//     bytes is null, so that the JSON of a chain of folders thousands deep
//     grows with its objects, not with the square of its depth.
//   folder: "objects": [object, ...] in order
//   text, legal: "text": string or null
//   table, tan_spd_table, tan_slack_table, summary, chart: "object_type",
//     "last_cmp_flp_location_available", the kind's own fields, and last
//     "rows": [[CELL, ...], ...]
//   tan_spd_table: "show_min"
//   tan_slack_table: "analysis_type", "columns": {type name: id, ...} (in
//     enumeration order), "restricted_to": int or null
//   summary: "gauges": null or {"name", "path", "size", "slots": [GAUGE or
//     null, ...]}
//     with slots from 0 to the highest slot that holds a gauge; GAUGE is
//     {"name", "percent", "min", "max", "value", "disabled"}
//   chart: "size", "chart_type" (name), "x_axis", "y_axis", "display_labels"
//   embedded: "embedded_type" (name), "info"; waveform: the same and
//     "source_vector", "result_vector", "compare_mode"
//   gauges (a gauges object placed in a folder): "size", "slots"
//   CELL: {"type": "string", "value": str} | {"type": "int", "value": int} |
//     {"type": "delay", "delay": int, "display_option": name} |
//     {"type": "iname", "instance": full path or null, "path": as written},
//     each with "foreground" and "background" as "#rrggbb" only when set; a
//     null cell pointer in a row is written as null.
//   A name of an enumeration value is its lower-case name, and
//     RDB_UNKNOWN_ENUM_NAME ("unknown") for a value outside the enumeration
//     (which the model's setters never keep).
//
// Strings are written byte for byte as held, with JSON escaping only. The
// output is always valid JSON, which must be UTF-8: a byte sequence that is
// not well-formed UTF-8 is written as U+FFFD, one per ill-formed part (the
// longest prefix of a valid sequence, or a single byte). Valid text, NUL
// bytes included (as \u0000), is never altered.
//
// Folders are walked with an explicit stack, not by recursion, so deep
// folder trees cannot exhaust the call stack.
#pragma once

#include <cstddef>
#include <iosfwd>

class RDB_REPORT;

// The longest path written (see above), in bytes.
const std::size_t RDB_JSON_PATH_LIMIT = 4096;

// Writes the report as one JSON document (a null report writes null).
// Memory running out on the way throws std::bad_alloc, with part of the
// document written.
void rdb_write_json(const RDB_REPORT* report, std::ostream& out);
// Writes `length` bytes of `text` as one JSON string, repaired as above.
void rdb_write_json_string(const char* text, std::size_t length, std::ostream& out);
