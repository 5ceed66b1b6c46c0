// Where the tool's HTML pages go. With one input file the --html path is
// the page itself; with several it is a directory (made when missing) that
// gets one page per file, named after it: run.xml.gz gives run.html, and a
// second input of the same name gives run-2.html rather than overwriting.
#pragma once

#include <set>
#include <string>

class RDB_REPORT;

class RDBXML_HTML_PAGES {
public:
    RDBXML_HTML_PAGES(std::string target, bool several) : m_target(std::move(target)), m_several(several) {}

    // Makes the directory for several pages; false with `error` set when
    // that is not possible.
    bool prepare(std::string& error) const;
    // Writes the page of `report`, read from `file`; false with `error` set
    // when the page cannot be written.
    bool write(const std::string& file, const RDB_REPORT& report, std::string& error);

private:
    std::string page_path(const std::string& file);

    std::string m_target;
    bool m_several;
    std::set<std::string> m_used;
};
