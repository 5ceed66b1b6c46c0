// Where the tool's HTML pages go. The --html path is the page itself for
// one input file, and a directory (made when missing) of one page per file
// for several, or whenever it ends in '/': run.xml.gz gives run.html, and a
// second input of the same name gives run-2.html rather than overwriting.
// A directory of the pages of several files also gets index.html, the list
// of them: a report named index.xml gets index-2.html then. Every page replaces the earlier
// one atomically, unless what is there is no regular file
// (rdbxml_write_file.h). "-" is standard output, for one input only.
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_html_list_writer.h>
#include "rdbxml_names.h"

class RDB_REPORT;

class RDBXML_HTML_PAGES {
public:
    RDBXML_HTML_PAGES(std::string target, std::size_t inputs);

    // Makes the directory for the pages and clears it of temporary files
    // that killed runs left; false with `error` set when that fails, or when
    // several pages would go to standard output.
    bool prepare(std::string& error) const;
    // The page of each input, asked for once per input in the order of the
    // inputs.
    std::string page_path(const std::string& file);
    // Writes the page of `report`, read from `file`, to `path`, or into
    // `out` when `path` is "-"; false with `error` set when the page cannot
    // be written. Safe on several threads.
    static bool write(const std::string& path, const std::string& file, const RDB_REPORT& report,
                      std::string& out, std::string& error);

    // The list of the pages, in a directory of the pages of several files;
    // empty otherwise.
    std::string index_path() const;
    // Writes the list of `reports` to index_path(); false with `error` set
    // when it cannot be written.
    bool write_index(const std::vector<RDB_HTML_LISTED_REPORT>& reports, std::string& error) const;

private:
    std::string m_target;
    std::size_t m_inputs;
    bool m_directory;
    RDBXML_NAMES m_names;
};
