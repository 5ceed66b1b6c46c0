// Text in which a backslash stands for the character after it, read once
// to mark its backslashes: rules, conditions and diff keys are split at
// separators and brackets that no backslash escapes, and trimmed of blanks
// that no backslash keeps.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rdb_rule_text.h"

inline constexpr const char* RDB_DANGLING_BACKSLASH = "a backslash at the end escapes nothing";

// The text with, for each character, whether it is a backslash that
// escapes the next one, or a character so escaped.
class RDB_ESCAPED_TEXT {
public:
    explicit RDB_ESCAPED_TEXT(std::string_view text) : m_text(text), m_kind(text.size(), PLAIN)
    {
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\\') {
                m_kind[i] = ESCAPE;
                if (i + 1 < text.size())
                    m_kind[++i] = ESCAPED;
                else
                    m_dangling = true;
            }
    }

    std::string_view text() const { return m_text; }
    std::size_t size() const { return m_text.size(); }
    // Whether the text ends in a backslash that escapes nothing.
    bool dangles() const { return m_dangling; }
    // Whether position i holds `c` as itself, not escaped.
    bool plain(std::size_t i) const { return m_kind[i] == PLAIN; }
    bool plain(std::size_t i, char c) const { return m_kind[i] == PLAIN && m_text[i] == c; }
    bool plain_blank(std::size_t i) const { return m_kind[i] == PLAIN && rdb_rule_is_blank(m_text[i]); }

    // [begin, end) without the blanks around it that no backslash keeps.
    void trim(std::size_t& begin, std::size_t& end) const
    {
        while (begin < end && plain_blank(begin))
            ++begin;
        while (end > begin && plain_blank(end - 1))
            --end;
    }

    // [begin, end) with each backslash replaced by what it escapes.
    std::string unescaped(std::size_t begin, std::size_t end) const
    {
        std::string out;
        out.reserve(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            if (m_kind[i] != ESCAPE)
                out += m_text[i];
        return out;
    }

    // The first position in [begin, end) holding `c` unescaped; `end` if none.
    std::size_t find(char c, std::size_t begin, std::size_t end) const
    {
        for (std::size_t i = begin; i < end; ++i)
            if (plain(i, c))
                return i;
        return end;
    }

private:
    enum KIND : unsigned char { PLAIN, ESCAPE, ESCAPED };
    std::string_view m_text;
    std::vector<KIND> m_kind;
    bool m_dangling = false;
};

// Where the first " : " of `text` that no backslash escapes begins; npos if none.
inline std::size_t rdb_rule_find_separator(const RDB_ESCAPED_TEXT& text)
{
    for (std::size_t i = 0; i + 3 <= text.size(); ++i)
        if (text.plain(i, ' ') && text.plain(i + 1, ':') && text.plain(i + 2, ' '))
            return i;
    return std::string_view::npos;
}

// Splits `text` at its first " : " that no backslash escapes: `path` is
// what stands before it without its surrounding blanks (backslashes kept,
// as patterns read them), `rest` what follows it. False, both empty, when
// there is no such separator.
inline bool rdb_rule_split(std::string_view text, std::string_view& path, std::string_view& rest)
{
    RDB_ESCAPED_TEXT scan(text);
    std::size_t at = rdb_rule_find_separator(scan);
    if (at == std::string_view::npos) {
        path = rest = std::string_view();
        return false;
    }
    std::size_t begin = 0;
    scan.trim(begin, at);
    path = text.substr(begin, at - begin);
    rest = text.substr(at + 3);
    return true;
}
