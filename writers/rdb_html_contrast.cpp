#include "rdb_html_contrast.h"

#include <cmath>

namespace {

// One sRGB channel (0..255) as linear light.
double linear(unsigned channel)
{
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(RDB_RGB_COLOR color)
{
    return 0.2126 * linear((color >> 16) & 0xFF) + 0.7152 * linear((color >> 8) & 0xFF) +
           0.0722 * linear(color & 0xFF);
}

}  // namespace

double rdb_html_contrast_ratio(RDB_RGB_COLOR a, RDB_RGB_COLOR b)
{
    double la = luminance(a);
    double lb = luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

void rdb_html_readable_colors(RDB_RGB_COLOR& foreground, RDB_RGB_COLOR background)
{
    if (foreground == RDB_NO_COLOR && background == RDB_NO_COLOR)
        return;
    RDB_RGB_COLOR text = foreground != RDB_NO_COLOR ? foreground : RDB_HTML_CELL_TEXT;
    RDB_RGB_COLOR ground = background != RDB_NO_COLOR ? background : RDB_HTML_CELL_BACKGROUND;
    if (rdb_html_contrast_ratio(text, ground) >= RDB_HTML_READABLE_RATIO)
        return;
    foreground = rdb_html_contrast_ratio(0x000000, ground) >= rdb_html_contrast_ratio(0xFFFFFF, ground) ? 0x000000
                                                                                                        : 0xFFFFFF;
}
