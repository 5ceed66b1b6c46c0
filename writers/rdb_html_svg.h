// What the SVG charts of the pages share: coordinates as they are written,
// and a value axis with round ticks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

// The colours of a chart's series, in turn.
constexpr std::size_t RDB_HTML_PALETTE_SIZE = 10;
inline const char* const RDB_HTML_PALETTE[RDB_HTML_PALETTE_SIZE] = {
    "#3b6ea8", "#e8853a", "#d64550", "#5bb0a8", "#4f9a4a", "#e0c04a", "#a96aa0", "#f29aa6", "#8c6d5a", "#a3a3a3"};

// A coordinate with one decimal.
inline std::string rdb_html_fixed(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", value);
    return text;
}

// An axis from `low` to `high` with round tick steps.
struct RDB_HTML_AXIS {
    double low, high, step;

    RDB_HTML_AXIS(double min_value, double max_value, bool from_zero)
    {
        low = from_zero ? std::min(0.0, min_value) : min_value;
        high = from_zero ? std::max(0.0, max_value) : max_value;
        if (high <= low)
            high = low + 1;
        if (!std::isfinite(high - low)) {
            low = -1e300;
            high = 1e300;
        }
        double raw = (high - low) / 5;
        double magnitude = std::pow(10, std::floor(std::log10(raw)));
        double fraction = raw / magnitude;
        step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * magnitude;
        low = std::floor(low / step) * step;
        high = std::ceil(high / step) * step;
    }
    double fraction(double value) const { return (value - low) / (high - low); }
    // The ticks from low to high; never more than a dozen.
    std::vector<double> ticks() const
    {
        std::vector<double> at;
        for (int k = 0; k <= 12; ++k) {
            double tick = low + k * step;
            if (tick > high + step / 2)
                break;
            at.push_back(std::fabs(tick) < step * 1e-9 ? 0 : tick);
        }
        return at;
    }
};
