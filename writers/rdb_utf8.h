// UTF-8 scanning for the writers. Report strings may hold any bytes; the
// writers need to know where a well-formed sequence stands and where not.
#pragma once

#include <cstddef>
#include <string>

// Looks at the sequence that starts at `text` (at most `length` bytes, at
// least 1). Returns true when it is a well-formed UTF-8 character (shortest
// form, no surrogate, at most U+10FFFF) and sets `consumed` to its length.
// Otherwise returns false and sets `consumed` to the length of the
// ill-formed part: the longest prefix of a well-formed sequence, or 1 byte.
// Replacing each ill-formed part by one U+FFFD is the usual practice.
bool rdb_utf8_scan(const char* text, std::size_t length, std::size_t& consumed);

// True when all `length` bytes of `text` are well-formed UTF-8.
bool rdb_utf8_is_valid(const char* text, std::size_t length);

// Appends the `length` bytes of `text` to `out` with each ill-formed part
// replaced by U+FFFD; well-formed text is appended unchanged.
void rdb_utf8_append_repaired(std::string& out, const char* text, std::size_t length);
