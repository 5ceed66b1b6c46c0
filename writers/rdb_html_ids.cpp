#include "rdb_html_ids.h"

namespace {

// The names a page derives from an object's id; they must stay free too.
const char* const DERIVED[] = {"-t", "-t-data", "-t-pager"};

bool is_kept(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-': case '.': case '_': case '/': case ':': case '@': case '!': case '$':
    case '(': case ')': case '*': case '+': case ',': case ';': case '=': case '[': case ']':
        return true;
    default:
        return false;
    }
}

}  // namespace

void rdb_html_append_percent_encoded(std::string& out, std::string_view text, bool (*kept)(unsigned char))
{
    static const char HEX[] = "0123456789ABCDEF";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (kept(byte)) {
            out += c;
        } else {
            out += '%';
            out += HEX[byte >> 4];
            out += HEX[byte & 15];
        }
    }
}

void rdb_html_append_id_text(std::string& out, std::string_view path)
{
    rdb_html_append_percent_encoded(out, path, is_kept);
}

bool RDB_HTML_IDS::is_free(const std::string& id) const
{
    if (m_taken.count(id) != 0)
        return false;
    for (const char* derived : DERIVED)
        if (m_taken.count(id + derived) != 0)
            return false;
    return true;
}

void RDB_HTML_IDS::take(const std::string& id)
{
    m_taken.insert(id);
    for (const char* derived : DERIVED)
        m_taken.insert(id + derived);
}

std::string RDB_HTML_IDS::make(std::string_view path, std::size_t position)
{
    std::string id;
    if (path.empty() || path.size() > RDB_HTML_ID_PATH_LIMIT)
        id = "~" + std::to_string(position);
    else
        rdb_html_append_id_text(id, path);
    if (is_free(id)) {
        take(id);
        return id;
    }
    // Each clashing id goes on from the suffix its last clash took, so
    // many objects of one id cost one try each.
    std::size_t& suffix = m_suffixes.emplace(id, 1).first->second;
    for (;;) {
        std::string candidate = id + "~" + std::to_string(++suffix);
        if (is_free(candidate)) {
            take(candidate);
            return candidate;
        }
    }
}
