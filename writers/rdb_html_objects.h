// One report object on the page: an <article> with its name, kind, creator,
// header, the body its kind calls for, and its footer. The pieces of the
// heading serve the folder sections too.
#pragma once

#include <string>

class RDB_HTML_OUTPUT;
class RDB_OBJECT;

// Writes `object` (not a folder) as an article named `id` in the page.
void rdb_html_write_object(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object, const std::string& id);

// The object's name, or "(unnamed)" for an empty one.
void rdb_html_write_name(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object);
// The rest of the heading (a "disabled" mark, then `heading_end`), then the
// creator and the header.
void rdb_html_write_head(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object, const char* heading_end);
void rdb_html_write_footer(RDB_HTML_OUTPUT& out, const RDB_OBJECT& object);
