#include "rdb_xml_diagnostic_bound.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

const char* const MORE = "and %zu more like this: ";
// Room for MORE with the largest number filled in.
const std::size_t MORE_ROOM = 64;

// Makes room for `wanted` entries, doubling, so that keeping room costs
// O(1) amortised per diagnostic.
void keep_room(std::vector<RDB_XML_DIAGNOSTIC>& list, std::size_t wanted)
{
    if (list.capacity() < wanted)
        list.reserve(std::max(wanted, 2 * list.capacity()));
}

}  // namespace

bool RDB_XML_DIAGNOSTIC_BOUND::admit(RDB_XML_DIAGNOSTIC::SEVERITY severity, const char* kind, const char* message,
                                     const std::string& file, std::uint64_t line, std::uint64_t column,
                                     std::vector<RDB_XML_DIAGNOSTIC>& kept)
{
    if (severity == RDB_XML_DIAGNOSTIC::WARNING)
        ++m_warnings;
    std::string key(1, static_cast<char>('0' + severity));
    key += kind;
    KIND& entry = m_kinds[key];
    if (entry.m_seen < MAX_PER_KIND) {
        keep_room(kept, kept.size() + 1 + m_counts.size());
        ++entry.m_seen;
        return true;
    }
    if (entry.m_seen == MAX_PER_KIND) {
        COUNT count;
        count.m_diagnostic.m_severity = severity;
        count.m_diagnostic.m_file = file;
        count.m_diagnostic.m_message.reserve(MORE_ROOM + std::char_traits<char>::length(message));
        count.m_diagnostic.m_message = message;
        m_counts.push_back(std::move(count));
        keep_room(kept, kept.size() + m_counts.size());
        entry.m_count = m_counts.size() - 1;
        ++entry.m_seen;
    }
    COUNT& count = m_counts[entry.m_count];
    ++count.m_more;
    count.m_diagnostic.m_line = line;
    count.m_diagnostic.m_column = column;
    return false;
}

void RDB_XML_DIAGNOSTIC_BOUND::finish(std::vector<RDB_XML_DIAGNOSTIC>& kept)
{
    if (m_finished)
        return;
    m_finished = true;
    try {
        for (COUNT& count : m_counts) {
            char more[MORE_ROOM];
            std::snprintf(more, sizeof more, MORE, count.m_more);
            // Within the room reserved for it, as the entry in `kept` is.
            count.m_diagnostic.m_message.insert(0, more);
            kept.push_back(std::move(count.m_diagnostic));
        }
    } catch (...) {
        // Only when keeping room failed before, which ended the parse for
        // want of memory already.
    }
    m_counts.clear();
}
