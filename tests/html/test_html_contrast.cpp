// Cells a report colours so that they cannot be read: the page keeps the
// report's background and picks the text colour that stands out from it.
#include <gtest/gtest.h>

#include "rdb_html_contrast.h"

namespace {

// The text colour the page shows for a cell the report gives these colours.
RDB_RGB_COLOR shown_text(RDB_RGB_COLOR foreground, RDB_RGB_COLOR background)
{
    rdb_html_readable_colors(foreground, background);
    return foreground;
}

}  // namespace

TEST(HtmlCellColours, ContrastRatioIsTheAccessibilityGuidelinesOne)
{
    EXPECT_DOUBLE_EQ(rdb_html_contrast_ratio(0x000000, 0xFFFFFF), 21.0);
    EXPECT_DOUBLE_EQ(rdb_html_contrast_ratio(0xFFFFFF, 0x000000), 21.0);
    EXPECT_DOUBLE_EQ(rdb_html_contrast_ratio(0x3B6EA8, 0x3B6EA8), 1.0);
    // Pure red on white, and the green channel weighing most.
    EXPECT_NEAR(rdb_html_contrast_ratio(0xFF0000, 0xFFFFFF), 3.998, 0.001);
    EXPECT_NEAR(rdb_html_contrast_ratio(0x00FF00, 0x000000), 15.3, 0.01);
    EXPECT_NEAR(rdb_html_contrast_ratio(0x0000FF, 0x000000), 2.44, 0.01);
}

TEST(HtmlCellColours, UnreadableTextBecomesBlackOrWhiteOnTheReportsBackground)
{
    EXPECT_EQ(shown_text(0xFFFFFF, 0xFFFFFF), 0x000000u);  // white on white
    EXPECT_EQ(shown_text(0xFFFF00, 0xFFFFFF), 0x000000u);  // yellow on white
    EXPECT_EQ(shown_text(0x000000, 0x000000), 0xFFFFFFu);  // black on black
    EXPECT_EQ(shown_text(0x202060, 0x000080), 0xFFFFFFu);  // dark on navy
    // Mid grey: black stands out more than white does.
    EXPECT_EQ(shown_text(0x808080, 0x808080), 0x000000u);
    // A readable pair is the report's own.
    EXPECT_EQ(shown_text(0xFF0000, 0xFFFFFF), 0xFF0000u);
    EXPECT_EQ(shown_text(0x008000, 0xFFFFCC), 0x008000u);
}

TEST(HtmlCellColours, ThreeToOneIsTheBoundary)
{
    // #949494 on white is just above 3:1, #959595 just below.
    ASSERT_GE(rdb_html_contrast_ratio(0x949494, 0xFFFFFF), 3.0);
    ASSERT_LT(rdb_html_contrast_ratio(0x959595, 0xFFFFFF), 3.0);
    EXPECT_EQ(shown_text(0x949494, 0xFFFFFF), 0x949494u);
    EXPECT_EQ(shown_text(0x959595, 0xFFFFFF), 0x000000u);
}

TEST(HtmlCellColours, OneColourIsCheckedAgainstThePagesOwn)
{
    // Only a foreground: against the page's cell background (white).
    EXPECT_EQ(shown_text(0xFFFFFF, RDB_NO_COLOR), 0x000000u);
    EXPECT_EQ(shown_text(0xFFFF00, RDB_NO_COLOR), 0x000000u);
    EXPECT_EQ(shown_text(0xFF0000, RDB_NO_COLOR), 0xFF0000u);
    // Only a background: against the page's text, which stays unless it
    // cannot be read there.
    EXPECT_EQ(shown_text(RDB_NO_COLOR, 0xFFFFCC), RDB_NO_COLOR);
    EXPECT_EQ(shown_text(RDB_NO_COLOR, 0x1D2430), 0xFFFFFFu);
    EXPECT_EQ(shown_text(RDB_NO_COLOR, 0x000080), 0xFFFFFFu);
    // No colours: the page's, untouched.
    EXPECT_EQ(shown_text(RDB_NO_COLOR, RDB_NO_COLOR), RDB_NO_COLOR);
}
