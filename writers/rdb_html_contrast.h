// Readable text for the cells a report colours. A report may give a cell
// the same colour for text and background, or text the page's own
// background hides; the page keeps the report's background, which often
// carries the meaning (a red row), and picks the text colour instead.
#pragma once

#include <rdbxml/rdb_types.h>

// What the page shows where a report gives only one of a cell's colours:
// its light theme's cell background and text. The page's style sheet fills
// the colour a report leaves out with these in both themes, so that the
// pair checked here is the pair shown.
constexpr RDB_RGB_COLOR RDB_HTML_CELL_BACKGROUND = 0xFFFFFF;
constexpr RDB_RGB_COLOR RDB_HTML_CELL_TEXT = 0x1D2430;

// The least contrast ratio the page lets a cell's text have.
constexpr double RDB_HTML_READABLE_RATIO = 3.0;

// The contrast ratio of two colours (0xRRGGBB) as the web's accessibility
// guidelines define it: (L1 + 0.05) / (L2 + 0.05) of their relative
// luminances, lighter over darker; from 1 (the same) to 21 (black, white).
double rdb_html_contrast_ratio(RDB_RGB_COLOR a, RDB_RGB_COLOR b);

// Makes a cell's colours readable: when the text (or the page's text, when
// only a background is given) and the background (or the page's) have a
// ratio below RDB_HTML_READABLE_RATIO, `foreground` becomes black or white,
// whichever stands out more from the background. Black or white rather than
// the nearest readable shade of the report's colour: the report's colour
// could not be read, and a shade of it would only look like a mistake.
// RDB_NO_COLOR for both leaves them alone, and a background is never changed.
void rdb_html_readable_colors(RDB_RGB_COLOR& foreground, RDB_RGB_COLOR background);
