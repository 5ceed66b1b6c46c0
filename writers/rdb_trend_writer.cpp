#include <rdbxml/rdb_trend_writer.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdb_csv_line.h"
#include "rdb_json_output.h"
#include "rdb_text_grid.h"

namespace {

bool is_whole(double number) { return number == std::floor(number) && std::fabs(number) < 9.007199254740992e15; }

// A number as the text shows it: whole, or with at most three decimals.
std::string shown_number(double number)
{
    char text[64];
    if (is_whole(number)) {
        std::snprintf(text, sizeof(text), "%.0f", number);
        return text;
    }
    std::snprintf(text, sizeof(text), "%.3f", number);
    std::string shown = text;
    while (shown.back() == '0')
        shown.pop_back();
    if (shown.back() == '.')
        shown.pop_back();
    return shown;
}

// A number as CSV gives it: the shortest text that reads back as it.
std::string exact_number(double number)
{
    char text[64];
    std::to_chars_result end = std::to_chars(text, text + sizeof(text), number);
    return std::string(text, end.ptr);
}

const char* unit_of(const RDB_TREND_VALUE& value) { return value.m_delay && value.m_has_number ? "ps" : ""; }

// Calls `each(trend, run, series, value)` for every record, in order.
template <typename EACH>
void for_each_record(const RDB_TRENDS& trends, EACH&& each)
{
    for (const RDB_TREND& trend : trends.m_trends)
        for (std::size_t run = 0; run < trends.m_runs.size(); ++run)
            for (const RDB_TREND_SERIES& series : trend.m_series)
                each(trend, trends.m_runs[run], series, series.m_values[run]);
}

}  // namespace

std::string rdb_trend_time_text(const std::string& time)
{
    // "YYYY-MM-DDTHH:MM:SS" and more
    if (time.size() < 19 || time[10] != 'T')
        return time;
    return time.substr(0, 10) + ' ' + time.substr(11, 8);
}

std::string rdb_trend_value_text(const RDB_TREND_VALUE& value)
{
    switch (value.m_kind) {
    case RDB_TREND_GAP:
        return "-";
    case RDB_TREND_GAUGE:
        return shown_number(value.m_number) +
               (value.m_has_percent ? " (" + rdb_format_percent(value.m_percent) + ")" : std::string());
    case RDB_TREND_SUMMARY_ROW:
        return value.m_text;
    default:
        if (!value.m_has_number)
            return value.m_text;
        return shown_number(value.m_number) + (value.m_delay ? " ps" : "");
    }
}

void rdb_write_trend_text(const RDB_TRENDS& trends, std::ostream& out)
{
    bool headed = trends.m_trends.size() > 1;
    bool first = true;
    for (const RDB_TREND& trend : trends.m_trends) {
        if (headed) {
            out << (first ? "" : "\n") << rdb_text_escaped(trend.m_selector) << ":\n";
            first = false;
        }
        std::size_t paths = trend.m_series.size();
        RDB_TEXT_GRID grid;
        grid.write(
            trends.m_runs.size() * paths,
            [&](std::size_t r, RDB_TEXT_ROW& row) {
                const RDB_TREND_RUN& run = trends.m_runs[r / paths];
                const RDB_TREND_SERIES& series = trend.m_series[r % paths];
                const RDB_TREND_VALUE& value = series.m_values[r / paths];
                row.start();
                row.add_cell(false) = rdb_text_escaped(rdb_trend_time_text(run.m_time));
                row.add_cell(false) = rdb_text_escaped(run.m_label);
                row.add_cell(false) = rdb_text_escaped(series.m_path);
                bool number = value.m_has_number && value.m_kind != RDB_TREND_SUMMARY_ROW;
                row.add_cell(number) =
                    run.m_failed ? std::string("- (failed)") : rdb_text_escaped(rdb_trend_value_text(value));
            },
            "", [&](const std::string& line) { out << line << '\n'; });
    }
}

void rdb_write_trend_csv(const RDB_TRENDS& trends, std::ostream& out)
{
    RDB_CSV_LINE line(out);
    for (const char* name : {"selector", "time", "label", "path", "status", "kind", "value", "unit", "percent", "text"})
        line.field(name);
    line.end();
    for_each_record(trends, [&](const RDB_TREND& trend, const RDB_TREND_RUN& run, const RDB_TREND_SERIES& series,
                                const RDB_TREND_VALUE& value) {
        line.field(trend.m_selector);
        line.field(run.m_time);
        line.field(run.m_label);
        line.field(series.m_path);
        line.field(run.m_failed ? "failed" : "good");
        line.field(rdb_trend_kind_name(value.m_kind));
        line.field(value.m_has_number ? exact_number(value.m_number) : std::string());
        line.field(unit_of(value));
        line.field(value.m_has_percent ? exact_number(value.m_percent) : std::string());
        line.field(value.m_kind == RDB_TREND_SUMMARY_ROW || value.m_kind == RDB_TREND_CELL ? value.m_text
                                                                                         : std::string());
        line.end();
    });
}

void rdb_write_trend_json(const RDB_TRENDS& trends, std::ostream& out)
{
    RDB_JSON_OUTPUT stream(out);
    for_each_record(trends, [&](const RDB_TREND& trend, const RDB_TREND_RUN& run, const RDB_TREND_SERIES& series,
                                const RDB_TREND_VALUE& value) {
        RDB_JSON_WRITER json(stream);
        auto string = [&](const char* key, const std::string& text) {
            json.Key(key);
            rdb_json_write_string(json, text.data(), text.size());
        };
        auto number = [&](const char* key, bool has, double number) {
            json.Key(key);
            if (!has)
                json.Null();
            else if (is_whole(number))
                json.Int64(static_cast<std::int64_t>(number));
            else
                json.Double(number);
        };
        json.StartObject();
        string("selector", trend.m_selector);
        string("time", run.m_time);
        string("label", run.m_label);
        string("path", series.m_path);
        string("status", run.m_failed ? "failed" : "good");
        json.Key("kind");
        if (value.m_kind == RDB_TREND_GAP)
            json.Null();
        else
            json.String(rdb_trend_kind_name(value.m_kind));
        number("value", value.m_has_number, value.m_number);
        json.Key("unit");
        if (*unit_of(value) != '\0')
            json.String(unit_of(value));
        else
            json.Null();
        number("percent", value.m_has_percent, value.m_percent);
        json.Key("text");
        if (value.m_kind == RDB_TREND_SUMMARY_ROW || value.m_kind == RDB_TREND_CELL)
            rdb_json_write_string(json, value.m_text.data(), value.m_text.size());
        else
            json.Null();
        json.EndObject();
        stream.Put('\n');
    });
    stream.Flush();
}
