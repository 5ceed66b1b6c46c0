// A value followed over many runs (`rdbxml trend`): for each selector, one
// series per path it matched, with one value per run in time order, or a
// gap where the run has none. Plain data, for the writers.
#pragma once

#include <string>
#include <vector>

enum RDB_TREND_STAT { RDB_TREND_MIN, RDB_TREND_MAX, RDB_TREND_SUM, RDB_TREND_COUNT, RDB_TREND_NEGATIVES };

// "min", "max", ... as --stat takes them.
inline const char* rdb_trend_stat_name(RDB_TREND_STAT stat)
{
    static const char* const NAMES[] = {"min", "max", "sum", "count", "negatives"};
    return NAMES[stat];
}

struct RDB_TREND_RUN {
    std::string m_label;
    std::string m_time;  // UTC, "YYYY-MM-DDTHH:MM:SS.nnnnnnnnnZ"
    bool m_failed = false;
};

enum RDB_TREND_KIND {
    RDB_TREND_GAP,          // nothing there in this run
    RDB_TREND_GAUGE,        // a gauge's value, with its percent
    RDB_TREND_SUMMARY_ROW,  // a summary row's text, with the number it reads as
    RDB_TREND_COLUMN,       // a statistic of a column
    RDB_TREND_CELL,         // the cell of the row a filter keeps
};

inline const char* rdb_trend_kind_name(RDB_TREND_KIND kind)
{
    static const char* const NAMES[] = {"", "gauge", "summary_row", "column", "cell"};
    return NAMES[kind];
}

struct RDB_TREND_VALUE {
    RDB_TREND_KIND m_kind = RDB_TREND_GAP;
    bool m_has_number = false;
    double m_number = 0;
    bool m_delay = false;  // m_number is picoseconds
    bool m_has_percent = false;
    double m_percent = 0;
    std::string m_text;  // a summary row's or a cell's text, as the report shows it
};

struct RDB_TREND_SERIES {
    std::string m_path;
    std::vector<RDB_TREND_VALUE> m_values;  // one per run
};

struct RDB_TREND {
    std::string m_selector;  // as written
    std::vector<RDB_TREND_SERIES> m_series;
};

struct RDB_TRENDS {
    std::vector<RDB_TREND_RUN> m_runs;  // in time order, ties by label
    std::vector<RDB_TREND> m_trends;    // one per selector
};
