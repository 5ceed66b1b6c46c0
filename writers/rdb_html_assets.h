// The page's style sheet and script, kept as files of their own in
// writers/page/ and built into the library (writers/page/embed.cmake).
#pragma once

extern const char* const RDB_HTML_STYLE;
// One function scope, run once the page's markup is complete.
extern const char* const RDB_HTML_SCRIPT;
