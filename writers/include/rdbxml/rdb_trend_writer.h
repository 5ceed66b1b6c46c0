// Values followed over many runs (rdb_trend.h) as people and programs read
// them. Every form has one record per selector, run and path, in the
// selectors' order, then time order, then the paths' order; a gap (no
// value: the run lacks it, or failed) is "-" in text, empty in CSV and null
// in JSON, never a zero.
//
// Text: aligned columns TIME (to the second, "2026-03-01 01:00:00", UTC),
// LABEL, PATH, VALUE; a failed run's value
// "- (failed)". With several selectors, each one's lines under a line
// naming it. VALUE: a gauge's value and percent ("630 (63%)"), a summary
// row's text, a column statistic or a cell, delays in picoseconds ("-120
// ps"), whatever unit the report showed them in.
//
// CSV: a heading line, then selector, time, label, path, status ("good" or
// "failed"), kind (rdb_trend_kind_name; empty for a gap), value, unit ("ps"
// for delays), percent, text. JSON: one object per line with the same
// names, numbers as numbers.
#pragma once

#include <iosfwd>
#include <string>

#include <rdbxml/rdb_trend.h>

// A run's time as people read it: to the second, a blank for the 'T'
// ("2026-03-01 01:00:00"); the whole text if it is not of that form.
std::string rdb_trend_time_text(const std::string& time);
// A value as the text shows it: "-" for a gap.
std::string rdb_trend_value_text(const RDB_TREND_VALUE& value);

void rdb_write_trend_text(const RDB_TRENDS& trends, std::ostream& out);
void rdb_write_trend_csv(const RDB_TRENDS& trends, std::ostream& out);
void rdb_write_trend_json(const RDB_TRENDS& trends, std::ostream& out);

// One self-contained page, on the report page's frame, style, escaping and
// security policy (rdb_html_writer.h): per selector a line chart of its
// values over the runs (one line per path, broken at gaps, failed runs
// marked on the time axis) and the values as a table.
void rdb_write_trend_html(const RDB_TRENDS& trends, std::ostream& out, const std::string& title);
