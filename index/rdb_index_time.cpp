#include "rdb_index.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Reads `count` digits at `at` into `value`.
bool digits(const std::string& text, std::size_t& at, std::size_t count, long& value)
{
    if (at + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char c = text[at + i];
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + (c - '0');
    }
    at += count;
    return true;
}

bool literal(const std::string& text, std::size_t& at, char c)
{
    if (at < text.size() && text[at] == c) {
        ++at;
        return true;
    }
    return false;
}

bool read_epoch_seconds(const std::string& text, std::int64_t& ns)
{
    if (text.size() < 2 || text.size() > 12)
        return false;
    std::int64_t seconds = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        seconds = seconds * 10 + (text[i] - '0');
    }
    ns = seconds * 1000000000;
    return true;
}

}  // namespace

std::string rdb_index_time_text(std::int64_t ns)
{
    std::int64_t seconds = ns / 1000000000;
    std::int64_t fraction = ns % 1000000000;
    if (fraction < 0) {
        fraction += 1000000000;
        --seconds;
    }
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%09lldZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<long long>(fraction));
    return text;
}

bool rdb_index_read_time(const std::string& text, std::int64_t& ns)
{
    if (!text.empty() && text[0] == '@')
        return read_epoch_seconds(text, ns);
    std::size_t at = 0;
    long year, month, day, hour = 0, minute = 0, second = 0, fraction = 0;
    if (!digits(text, at, 4, year) || !literal(text, at, '-') || !digits(text, at, 2, month) ||
        !literal(text, at, '-') || !digits(text, at, 2, day))
        return false;
    if (literal(text, at, 'T') || literal(text, at, ' ')) {
        if (!digits(text, at, 2, hour) || !literal(text, at, ':') || !digits(text, at, 2, minute))
            return false;
        if (literal(text, at, ':')) {
            if (!digits(text, at, 2, second))
                return false;
            if (literal(text, at, '.')) {
                std::size_t start = at;
                while (at < text.size() && at - start < 9 && std::isdigit(static_cast<unsigned char>(text[at])))
                    fraction = fraction * 10 + (text[at++] - '0');
                if (at == start)
                    return false;
                for (std::size_t n = at - start; n < 9; ++n)
                    fraction *= 10;
            }
        }
        literal(text, at, 'Z');
    }
    if (at != text.size() || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 60)
        return false;
    std::int64_t days = days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    ns = ((days * 24 + hour) * 60 + minute) * 60 + second;
    ns = ns * 1000000000 + fraction;
    return true;
}
