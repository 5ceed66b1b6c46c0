#include "rdb_html_page.h"

#include <cstdio>
#include <random>

#include "rdb_html_assets.h"
#include "rdb_html_output.h"

std::string rdb_html_new_nonce()
{
    std::random_device random;
    char text[33];
    for (int i = 0; i < 4; ++i)
        std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(random()));
    return text;
}

void rdb_html_page_begin(RDB_HTML_OUTPUT& out, const std::string& title, const std::string& nonce,
                         const char* extra_style)
{
    out.raw("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
    out.raw("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
            "img-src data:; base-uri 'none'; form-action 'none'; script-src 'nonce-")
        .raw(nonce)
        .raw("'\">\n");
    out.raw("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>");
    out.text(title).raw("</title>\n<style>").raw(RDB_HTML_STYLE).raw(extra_style).raw("</style>\n</head>\n<body>\n");
}

void rdb_html_page_end(RDB_HTML_OUTPUT& out, const std::string& nonce)
{
    out.raw("<script nonce=\"").raw(nonce).raw("\">").raw(RDB_HTML_SCRIPT).raw("</script>\n</body>\n</html>\n");
}

void rdb_html_write_flat_navigation(RDB_HTML_OUTPUT& out, const char* label,
                                    const std::vector<RDB_HTML_NAV_ENTRY>& entries)
{
    out.raw("<nav class=\"tree\" aria-label=\"").raw(label).raw("\"><ul>\n");
    for (const RDB_HTML_NAV_ENTRY& entry : entries) {
        out.raw("<li class=\"d0\" data-depth=\"0\"><a href=\"#").raw(entry.m_id).raw("\">").text(entry.m_name);
        out.raw(" <span class=\"count\">").number(static_cast<long>(entry.m_count)).raw("</span></a></li>\n");
    }
    out.raw("</ul></nav>\n");
}
