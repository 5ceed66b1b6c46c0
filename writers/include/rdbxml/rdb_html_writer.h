// The HTML form of a report: one self-contained page a person reads in a
// browser, offline (inline style sheet, SVG and a short script of the
// writer's own; nothing is fetched).
//
// The page has the folder tree as navigation and one section per folder
// with its objects in order: header, footer, creator, and a "disabled" mark
// on disabled objects. Tables keep their cell colours, right-align numbers
// and show each cell as rdb_cell_text does (an instance name as its path, a
// delay in its display unit). Summaries are two-column tables with their
// gauges as bars between min and max; charts are drawn in SVG (see
// rdb_html_chart.h) with their data points (RDB_CHART_TABLE_OBJECT::
// get_points) as a table beside;
// texts and legal notices are paragraphs that keep their line breaks;
// embedded objects and waveforms are labelled blocks. Tables longer than a
// page of rows are paged by the page's script (see rdb_html_table.h).
//
// Report text is data, never markup: every string is escaped, and the
// page's security policy lets only the writer's own script run.
//
// Folders are walked with an explicit stack, not by recursion.
#pragma once

#include <iosfwd>
#include <string>

class RDB_REPORT;

// Writes the page. `title` names it (the file the report came from, say);
// a null report writes a page that says there is no report.
// A stream that fails says so as it always does: by its state, or by the
// exception it throws (std::bad_alloc when memory runs out), with part of
// the page written. Nothing is written after such an exception, not even
// while the writer's own objects are destroyed.
void rdb_write_html(const RDB_REPORT* report, std::ostream& out, const std::string& title);
