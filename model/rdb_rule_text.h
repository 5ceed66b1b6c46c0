// The few ways of reading text that rules share: what a blank is, a text
// without its surrounding blanks, and names compared as rules compare them.
#pragma once

#include <string_view>

#include "gen_util.h"

inline bool rdb_rule_is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline std::string_view rdb_rule_trimmed(std::string_view text)
{
    while (!text.empty() && rdb_rule_is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && rdb_rule_is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Whether two names are the same ignoring ASCII case and surrounding blanks.
inline bool rdb_rule_same_name(std::string_view a, std::string_view b)
{
    a = rdb_rule_trimmed(a);
    b = rdb_rule_trimmed(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (gen_ascii_lower(a[i]) != gen_ascii_lower(b[i]))
            return false;
    return true;
}
