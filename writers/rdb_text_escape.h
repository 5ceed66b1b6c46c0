// Report texts made safe for a terminal, and their width on screen.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Appends `text`: control characters, DEL and ill-formed UTF-8 bytes
// escaped C-style (\n, \t, \r, \xNN); quotes and backslashes too when
// `quoted`.
void rdb_text_append_escaped(std::string& out, std::string_view text, bool quoted);

// Appends `text` in double quotes, escaped.
void rdb_text_append_quoted(std::string& out, std::string_view text);

// Characters on screen of escaped (so well-formed) text: one per code point.
std::size_t rdb_text_display_width(std::string_view text);
