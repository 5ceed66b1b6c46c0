// rdb_xml_parse: reads a report description file (XML, plain or compressed)
// into an in-memory RDB_REPORT.
//
// One parse at a time per process: the parse state is process-wide.
#pragma once

class RDB_REPORT;
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
extern "C" RDB_XML_EXPORT RDB_REPORT* rdb_xml_parse(const char* file_name,
                                                    HDB_ACTION_PT_INSTANCE* action_point,
                                                    bool stream_flag, bool use_schema,
                                                    bool use_namespaces, bool use_static_buffers,
                                                    bool dead_parser);
