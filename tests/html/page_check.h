// Shared by the page tests: a report whose every text is an attempt to
// inject markup, and the check that a page holds only the writer's own.
#pragma once

#include <string>
#include <vector>

struct DOM_ELEMENT;

// Texts that would run script or add elements if a page took them as
// markup. Each one, run, sets a "data-pwned" attribute on the body.
const std::vector<std::string>& hostile_texts();

// A report that puts the hostile texts into every place a report carries
// text: folder names, creators, headers, footers, texts, legal notices,
// cells (also in a table of `long_rows` rows, paged by the page's script),
// summaries and gauge names, chart names, labels and axes, embedded info and
// waveform vector names.
std::string hostile_report_xml(unsigned long_rows);

// Empty when every element is one the writer makes with attributes it
// sets; else what is not.
std::string foreign_markup(const std::vector<DOM_ELEMENT>& elements);
