// What a parse keeps of its diagnostics: the first MAX_PER_KIND of each
// kind, and for a kind that had more, one diagnostic of the same severity
// that counts the rest ("and 999900 more like this: <the kind's first
// message>"). Those come at the end of the parse, after every other
// diagnostic, in the order their kinds first went past the bound, each at
// the line and column of the last diagnostic it counts. A kind is a
// message's template: the format of a printf-like message (its filled text
// where there is none, as for the XML parser's own), and its severity. So a
// file of a million cells before any row costs a hundred diagnostics, not a
// million.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <rdbxml/rdb_xml.h>

class RDB_XML_DIAGNOSTIC_BOUND {
public:
    static constexpr std::size_t MAX_PER_KIND = 100;

    // Whether a diagnostic of `kind` with `message`, found at `line` and
    // `column`, is to go into `kept`, the list of the parse; when not, it
    // is counted. Keeps room in `kept` for one more and for every count
    // still to come, so that finish() allocates nothing. Throws
    // std::bad_alloc.
    bool admit(RDB_XML_DIAGNOSTIC::SEVERITY severity, const char* kind, const char* message, const std::string& file,
               std::uint64_t line, std::uint64_t column, std::vector<RDB_XML_DIAGNOSTIC>& kept);
    // Appends the counts to `kept`, once, in the room admit() kept; never
    // throws.
    void finish(std::vector<RDB_XML_DIAGNOSTIC>& kept);
    // Every warning admit() was asked about, kept or counted: what a strict
    // parse is refused for.
    std::uint64_t warnings() const { return m_warnings; }

private:
    struct KIND {
        std::size_t m_seen = 0;
        std::size_t m_count = 0;  // the index of its count in m_counts, once past the bound
    };
    // The count's diagnostic, made when its kind first goes past the
    // bound, with room for the number to be put in front of the message.
    struct COUNT {
        RDB_XML_DIAGNOSTIC m_diagnostic;
        std::size_t m_more = 0;
    };

    std::unordered_map<std::string, KIND> m_kinds;
    std::vector<COUNT> m_counts;
    std::uint64_t m_warnings = 0;
    bool m_finished = false;
};
