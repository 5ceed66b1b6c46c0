// The page that lists the pages of a run over several report files: each
// report's name, whether it was read (good, with warnings, or failed), its
// warning count and a link to its page. Self-contained and under the same
// policy as a report's page (rdb_html_writer.h); names are text, never
// markup, and a link is always relative to the list's own directory.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

struct RDB_HTML_LISTED_REPORT {
    std::string file;   // the report file, as given
    std::string page;   // its page's file name beside the list; empty when it has none
    bool read = false;  // the file gave a report, and its page was written
    std::size_t warnings = 0;
};

// Writes the list, titled `title`; a stream that fails says so as the
// report's page writer's does.
void rdb_write_html_list(const std::vector<RDB_HTML_LISTED_REPORT>& reports, std::ostream& out,
                         const std::string& title);
