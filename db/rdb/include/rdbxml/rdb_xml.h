// rdb_xml_parse: reads a report description file (XML, plain or compressed)
// into an in-memory RDB_REPORT.
//
// Parses on different threads are independent and may run at the same time;
// one parse per thread at a time (calling the parser from inside one of its
// own callbacks is not supported). They may share one loaded hierarchy
// (HDB_HIERARCHY, hdb_instance.h): its lookups only read, so any number of
// threads resolve against it at once. A hierarchy handed to parses is not
// changed (add_child) while they run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_report.h>

class HDB_ACTION_PT_INSTANCE;

#if defined(__GNUC__)
#define RDB_XML_EXPORT __attribute__((visibility("default")))
#else
#define RDB_XML_EXPORT
#endif

// Returns the report, which the caller owns (release it with `delete`), or
// null when the parser or the reader's own checks found any error.
//   file_name          path of the report file (plain, gzip, zstd or xz)
//   action_point       instance hierarchy that instance-name cells resolve
//                      against; may be null
//   stream_flag        handed on to the input stream
//   use_schema         validate against rdb_schema.xsd beside the library
//                      (forces use_namespaces on)
//   use_namespaces     namespace processing
//   use_static_buffers transcode attribute values into inline storage
//   dead_parser        read and check the document but build no content
// Never throws; memory running out during the parse gives null.
extern "C" RDB_XML_EXPORT RDB_REPORT* rdb_xml_parse(const char* file_name,
                                                    HDB_ACTION_PT_INSTANCE* action_point,
                                                    bool stream_flag, bool use_schema,
                                                    bool use_namespaces, bool use_static_buffers,
                                                    bool dead_parser);

// The version of the library, "MAJOR.MINOR.PATCH". Programs built against
// one major version keep working with every later release of it: the
// library's file name carries the major version (librdb_xml.so.2).
extern "C" RDB_XML_EXPORT const char* rdb_xml_version();

// ---------------------------------------------------------------------------
// The entry point for hosts that want more than a report or null: named
// options, input from memory, their own message sink and progress, and every
// warning and error of that parse as data.

// Where the report comes from: a file, or bytes in memory (plain or
// compressed alike). The memory is not copied: it must outlive the parse.
struct RDB_XML_EXPORT RDB_XML_INPUT {
    static RDB_XML_INPUT file(std::string path);
    // `name` stands for the input in messages and diagnostics.
    static RDB_XML_INPUT memory(const void* data, std::size_t size, std::string name = "<memory>");

    std::string m_name;  // the path, or the name given with the memory
    const void* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_in_memory = false;

    // What the open descriptor `fd` reads, from where it stands (standard
    // input, a pipe), read as a file is: as a stream, not all at once. The
    // descriptor stays the caller's, open. `name` stands for it in messages.
    static RDB_XML_INPUT descriptor(int fd, std::string name);
    int m_descriptor = -1;  // >= 0: read from it (not m_name, not memory)
};

// One line of the parse's messages, as the debug channel carries it.
using RDB_XML_MESSAGE_SINK = std::function<void(const char* tag, const char* text)>;
// Called on the parsing thread as input is read: bytes of the file (or
// memory) consumed so far and its whole size (0 when unknown). Returning
// false cancels the parse, which then ends like any failed one.
using RDB_XML_PROGRESS = std::function<bool(std::uint64_t bytes_read, std::uint64_t total_bytes)>;

struct RDB_XML_OPTIONS {
    HDB_ACTION_PT_INSTANCE* m_action_point = nullptr;  // resolves instance-name cells; may be null
    bool m_stream_flag = false;
    bool m_use_schema = false;  // validation; forces namespaces on
    bool m_use_namespaces = true;
    bool m_use_static_buffers = true;
    bool m_dead_parser = false;
    // Receives this parse's "RDB_XML" lines, and only those; empty: the
    // process-wide sink of msg.h (stderr by default).
    RDB_XML_MESSAGE_SINK m_message_sink;
    RDB_XML_PROGRESS m_progress;  // empty: no progress calls
    // Any warning in the diagnostics refuses the report: those for content
    // not taken as written, those for content passed over and the XML
    // parser's own. For a CI job that must not pass on a file read
    // differently from how it was written.
    bool m_strict = false;
    // Without a message sink: whether this parse's "RDB_XML" lines go to
    // the process-wide sink (stderr by default). Off, a parse prints
    // nothing: what it found is in the result's diagnostics and totals.
    // rdb_xml_parse prints them, as it always has.
    bool m_print_messages = false;
};

struct RDB_XML_DIAGNOSTIC {
    enum SEVERITY { WARNING, ERROR, FATAL_ERROR };

    SEVERITY m_severity = ERROR;
    std::string m_file;          // the input's name
    std::uint64_t m_line = 0;    // where it was detected; 0 when unknown
    std::uint64_t m_column = 0;  // 0 when unknown
    std::string m_message;
    // The system's error number when the input could not be read (the
    // message then reads "cannot read: " and its text); 0 otherwise.
    int m_errno = 0;
};

struct RDB_XML_RESULT {
    std::unique_ptr<RDB_REPORT> m_report;  // null when the parse failed
    // The warnings and errors of this parse, in the order found. Content
    // the reader passes over (a cell before any row, an object whose folder
    // was never declared, a folder declared but never placed) is a warning
    // here and nowhere else.
    // Bounded: of each kind of message (its template, such as "%s before
    // any row: passed over", whatever fills it in; and its severity) the
    // first 100 are kept. A kind that had more gets one diagnostic of the
    // same severity at the end, after all others (in the order the kinds
    // went past 100): "and 999900 more like this: " and the kind's first
    // message, at the line and column of the last one it counts. So a file
    // of a million such cells costs a hundred and one diagnostics. The
    // "RDB_XML:" lines of the message sink and the totals below are not
    // bounded.
    std::vector<RDB_XML_DIAGNOSTIC> m_diagnostics;
    // The totals the "Parsing resulted in" line gives; both 0 when the
    // parse ended before its totals (the diagnostics say why).
    int m_errors = 0;
    int m_warnings = 0;
    bool m_cancelled = false;      // the progress callback asked to stop
    bool m_out_of_memory = false;  // memory ran out: no report
    // Warnings for content the report does not hold as written (a number
    // that is not one, an element the format does not have, text lost
    // around a child element); counted here and nowhere else, so the
    // totals above stay those of the "Parsing resulted in" line.
    int m_not_as_written = 0;
    bool m_strict_refused = false;  // m_strict, and a warning refused the report
};

// A diagnostic as one line in the compiler's form, "FILE:LINE:COL: error:
// MESSAGE" ("warning" for a warning), the place left out where it is not
// known; as written, with no newline: a view escapes it as it shows text.
RDB_XML_EXPORT std::string rdb_xml_diagnostic_line(const RDB_XML_DIAGNOSTIC& diagnostic);

// Parses `input` as rdb_xml_parse does, with the same messages, which go to
// the options' message sink, or to the process-wide one when they ask for
// that with m_print_messages, or nowhere. Never
// throws: when memory is so short that even the result cannot be filled,
// it has no report and m_out_of_memory set.
RDB_XML_EXPORT RDB_XML_RESULT rdb_xml_parse_input(const RDB_XML_INPUT& input, const RDB_XML_OPTIONS& options);
