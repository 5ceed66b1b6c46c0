// The frame of the HTML page: head with its style sheet and security
// policy, and the closing script that pages long tables. Everything the
// page needs is inline: it fetches nothing and looks the same offline.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class RDB_HTML_OUTPUT;

// Writes everything up to and including <body>. `title` is report text;
// `extra_style`, rules of the writer's own, follows the page's style sheet.
void rdb_html_page_begin(RDB_HTML_OUTPUT& out, const std::string& title, const std::string& nonce,
                         const char* extra_style = "");
// Writes the script and closes the page.
void rdb_html_page_end(RDB_HTML_OUTPUT& out, const std::string& nonce);
// A fresh value for the policy's script nonce: only a script carrying it
// runs, so even markup that slipped into the page could start none.
std::string rdb_html_new_nonce();

// An object of a page without folders (a diff's changed objects, a trend's
// selectors), as its sidebar lists it: id, name (report text) and count.
struct RDB_HTML_NAV_ENTRY {
    std::string m_id;
    std::string m_name;
    std::size_t m_count = 0;
};
// Writes the sidebar of such a page, `label` naming it for screen readers:
// the entries as the report page's tree writes its top level, so that the
// page's script marks the one shown.
void rdb_html_write_flat_navigation(RDB_HTML_OUTPUT& out, const char* label,
                                    const std::vector<RDB_HTML_NAV_ENTRY>& entries);
