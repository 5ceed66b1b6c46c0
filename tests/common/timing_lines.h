// The parser's lines that give a time, as its stopwatch writes it:
// "Parsing completed in 12.345 ms", or "... in 1.234 s" for a second or
// more. They differ from run to run, so tests comparing messages leave them
// out; any other line (such as "Parsing resulted in 0 errors, ...") stays.
#pragma once

#include <string_view>

inline bool test_is_timing_line(std::string_view text)
{
    std::size_t in = text.rfind(" in ");
    if (in == std::string_view::npos)
        return false;
    std::string_view time = text.substr(in + 4);
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t whole = 0;
    while (whole < time.size() && digit(time[whole]))
        ++whole;
    if (whole == 0 || time.size() < whole + 4 || time[whole] != '.')
        return false;
    for (std::size_t i = whole + 1; i < whole + 4; ++i)
        if (!digit(time[i]))
            return false;
    std::string_view unit = time.substr(whole + 4);
    return unit == " ms" || unit == " s";
}
