// The ids of a page's objects, made from their paths (rdb_path.h) so that a
// link to an object keeps working when the report around it changes.
//
// An id is the object's path, percent-encoded: letters, digits and
// - . _ / : @ ! $ ( ) * + , ; = [ ] stay as they are, every other byte
// (space, quotes, '<', '#', '?', '%', '&', '~', '\', each byte of a
// non-ASCII character) becomes %XX. So an id is ASCII without whitespace,
// reads the same as a fragment of the page's address (the browser encodes
// nothing more), and never holds the '?' that ends it there.
//
// Ids are unique in the page, and so are the ids the page derives from an
// object's: its table's (id + "-t") and that table's data block and pager.
// An id that would meet one taken already (a folder and a table of one
// name in one folder share a path) gets "~2", "~3", ... appended; a path
// never holds a raw '~', so a suffix never meets a path.
//
// A path longer than RDB_HTML_ID_PATH_LIMIT bytes (a chain of thousands of
// nested folders) or empty gets a positional id instead, "~" and the
// object's place in the page: the page holds each id a few times, and
// whole paths of a deep chain would make it grow with the square of the
// depth.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

constexpr std::size_t RDB_HTML_ID_PATH_LIMIT = 512;

class RDB_HTML_IDS {
public:
    // The id of the `position`-th object of the page (from 0), at `path`.
    std::string make(std::string_view path, std::size_t position);

private:
    bool is_free(const std::string& id) const;
    void take(const std::string& id);

    std::unordered_set<std::string> m_taken;
    std::unordered_map<std::string, std::size_t> m_suffixes;  // the last suffix each clashing id took
};

// `path` percent-encoded as above (appended to `out`).
void rdb_html_append_id_text(std::string& out, std::string_view path);
// `text` percent-encoded (appended to `out`): every byte `kept` refuses
// becomes %XX.
void rdb_html_append_percent_encoded(std::string& out, std::string_view text, bool (*kept)(unsigned char));
