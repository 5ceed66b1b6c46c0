// What one parse owns beyond the parse-context globals: the input's name,
// the host's progress callback and diagnostics, the count of document bytes
// read, and the ways a parse ends early. Reached through rdb_xml_context,
// which, like the globals, belongs to the thread that runs the parse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <xercesc/sax/Locator.hpp>

#include <rdbxml/rdb_xml.h>
#include "gen_string_hash_sys.h"
#include "rdb_xml_diagnostic_bound.h"
#include "rdb_xml_element.h"
#include "rdb_xml_folder_trees.h"
#include "rdb_xml_globals.h"

class RDB_FOLDER_OBJECT;

// A folder the "folders" element declared, and where.
struct RDB_XML_DECLARED_FOLDER {
    RDB_FOLDER_OBJECT* m_folder;
    std::uint64_t m_line;
    std::uint64_t m_column;
};

class RDB_XML_PARSE_CONTEXT {
public:
    RDB_XML_PARSE_CONTEXT(const std::string& file_name, const RDB_XML_PROGRESS& progress)
        : m_file_name(file_name), m_progress(progress)
    {
    }

    const std::string& m_file_name;
    const RDB_XML_PROGRESS& m_progress;
    // Where the reader is, for handlers' diagnostics; null in a dead parse.
    const xercesc::Locator* m_locator = nullptr;
    // Document bytes (decompressed) the reader has taken from the input.
    std::uint64_t m_input_bytes = 0;
    std::vector<RDB_XML_DIAGNOSTIC> m_diagnostics;
    // How many of each kind are kept (rdb_xml_diagnostic_bound.h).
    RDB_XML_DIAGNOSTIC_BOUND m_diagnostic_bound;
    // A diagnostic could not be kept for want of memory.
    bool m_diagnostics_lost = false;
    // The folder name index (rdb_xml_folder_index points here).
    GEN_STRING_HASH<RDB_FOLDER_OBJECT*> m_folder_index;
    // Which folder tree each placed folder is in (rdb_xml_folder_trees.h).
    RDB_XML_FOLDER_TREES m_folder_trees;
    // Every folder declared, placed or not (rdb_xml_unplaced.h).
    std::vector<RDB_XML_DECLARED_FOLDER> m_declared_folders;
    // The narrow text of the current character chunk.
    std::vector<char> m_chunk;
    // The kinds of the elements the reader is inside.
    RDB_XML_OPEN_ELEMENTS m_open_elements;
    // Warnings for content the report does not hold as written, all of
    // them, kept or not (RDB_XML_RESULT::m_not_as_written).
    int m_not_as_written = 0;
    // How many elements of names the format does not have the reader is
    // inside: only the outermost of them is worth a warning.
    std::size_t m_unknown_depth = 0;
};

// Read at every character chunk: kept in the static TLS block (see
// rdb_xml_globals.h).
extern thread_local RDB_XML_PARSE_CONTEXT* rdb_xml_context RDB_XML_HOT_TLS;

// Keeps a diagnostic of the running parse for the host (no message is
// printed); line and column 0 take the reader's current place. `kind` is
// the message's template, by which the diagnostics kept are bounded
// (rdb_xml_diagnostic_bound.h); null: the message itself.
void rdb_xml_note(RDB_XML_DIAGNOSTIC::SEVERITY severity, const char* message, std::uint64_t line = 0,
                  std::uint64_t column = 0, const char* kind = nullptr);

// A semantic error of the report: one more in rdb_xml_error_count, the
// message printed, and kept as an error diagnostic at the reader's place.
void rdb_xml_semantic_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Content the reader passes over: a warning diagnostic only (no message,
// nothing counted).
void rdb_xml_passed_over(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Content the report holds otherwise than it was written (a number that is
// not one, an element the format does not have, text dropped beside a child
// element): a warning diagnostic at the reader's place, counted apart from
// the totals, with no message printed. The format is the kind the bound
// counts by.
void rdb_xml_not_as_written(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The ways a parse ends at once. Each is thrown from wherever the parse is,
// passes through the reader (they are none of its exception kinds) and is
// caught by the driver, which prints its message and releases everything.
struct RDB_XML_STOP {
    // PANIC: the XML parser met a failure it cannot go on from (no mutex,
    // no transcoder: the system's resources ran out).
    enum KIND { OUT_OF_MEMORY, STREAM_DAMAGED, CANCELLED, PANIC };
    KIND m_kind;
    const char* m_what;  // what was being read, or why the stream failed
};

// Memory could not be obtained while reading `what` ("a table row").
[[noreturn]] void rdb_xml_out_of_memory(const char* what);
