#include "rdb_html_chart.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <rdbxml/rdb_chart.h>
#include "rdb_html_output.h"
#include "rdb_html_svg.h"
#include "rdb_utf8.h"

namespace {

struct CHART_POINT {
    std::string label;  // well-formed UTF-8
    double value;
};

// The drawing area of the cartesian charts, in SVG units.
const double WIDTH = 720, HEIGHT = 360;
const double LEFT = 72, RIGHT = 16, TOP = 24, BOTTOM = 64;
const double PLOT_WIDTH = WIDTH - LEFT - RIGHT, PLOT_HEIGHT = HEIGHT - TOP - BOTTOM;
const char* const SERIES_COLOR = "#3b6ea8";
const char* const* const PALETTE = RDB_HTML_PALETTE;
const std::size_t LABEL_CHARACTERS = 14;

std::string fixed(double value) { return rdb_html_fixed(value); }

// A value as its label shows it: integers without decimals.
std::string value_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), value == std::floor(value) && std::fabs(value) < 1e15 ? "%.0f" : "%.3g", value);
    return text;
}

// The first `limit` characters of a label, with an ellipsis when cut.
std::string shortened(const std::string& label, std::size_t limit)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < label.size(); ++at) {
        if ((static_cast<unsigned char>(label[at]) & 0xC0) == 0x80)
            continue;
        if (characters++ == limit)
            return label.substr(0, at) + "\xE2\x80\xA6";
    }
    return label;
}

// The points to draw: the first RDB_HTML_CHART_MAX_POINTS, their labels
// repaired to well-formed UTF-8.
std::vector<CHART_POINT> drawn_points(const std::vector<RDB_CHART_POINT>& points)
{
    std::vector<CHART_POINT> drawn(std::min<std::size_t>(points.size(), RDB_HTML_CHART_MAX_POINTS));
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        rdb_utf8_append_repaired(drawn[i].label, points[i].label.data(), points[i].label.size());
        drawn[i].value = points[i].value;
    }
    return drawn;
}

typedef RDB_HTML_AXIS CHART_AXIS;

class CHART_DRAWING {
public:
    CHART_DRAWING(RDB_HTML_OUTPUT& out, const RDB_CHART_TABLE_OBJECT& chart, std::vector<CHART_POINT> points)
        : m_out(out), m_chart(chart), m_points(std::move(points))
    {
    }

    void draw()
    {
        m_out.raw("<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"0 0 ")
            .number(static_cast<long>(WIDTH))
            .raw(' ')
            .number(static_cast<long>(HEIGHT))
            .raw("\"><title>")
            .text(m_chart.get_name())
            .raw("</title>\n");
        switch (m_chart.get_default_chart_type()) {
        case RDB_CHART_TYPE_PIE: draw_pie(); break;
        case RDB_CHART_TYPE_LINE: draw_series(false, true); break;
        case RDB_CHART_TYPE_SCATTER: draw_series(true, false); break;
        case RDB_CHART_TYPE_HISTOGRAM: draw_bars(true); break;
        default: draw_bars(false); break;
        }
        m_out.raw("</svg>\n");
    }

private:
    double y_of(const CHART_AXIS& axis, double value) const { return TOP + PLOT_HEIGHT * (1 - axis.fraction(value)); }

    void text_at(double x, double y, const char* css_class, const std::string& text, const char* anchor = "middle")
    {
        m_out.raw("<text class=\"").raw(css_class).raw("\" x=\"").raw(fixed(x)).raw("\" y=\"").raw(fixed(y));
        m_out.raw("\" text-anchor=\"").raw(anchor).raw("\">").text(text).raw("</text>\n");
    }

    // Grid lines and tick labels of the value axis, the axis labels.
    void draw_frame(const CHART_AXIS& axis)
    {
        for (double tick : axis.ticks()) {
            std::string y = fixed(y_of(axis, tick));
            m_out.raw("<line class=\"grid\" x1=\"").raw(fixed(LEFT)).raw("\" x2=\"").raw(fixed(WIDTH - RIGHT));
            m_out.raw("\" y1=\"").raw(y).raw("\" y2=\"").raw(y).raw("\"/>\n");
            text_at(LEFT - 6, y_of(axis, tick) + 4, "tick", value_text(tick), "end");
        }
        m_out.raw("<line class=\"axis\" x1=\"").raw(fixed(LEFT)).raw("\" x2=\"").raw(fixed(LEFT)).raw("\" y1=\"");
        m_out.raw(fixed(TOP)).raw("\" y2=\"").raw(fixed(TOP + PLOT_HEIGHT)).raw("\"/>\n");
        text_at(LEFT + PLOT_WIDTH / 2, HEIGHT - 8, "axis-label", m_chart.get_x_axis().c_str());
        m_out.raw("<text class=\"axis-label\" text-anchor=\"middle\" transform=\"translate(16 ")
            .raw(fixed(TOP + PLOT_HEIGHT / 2))
            .raw(") rotate(-90)\">")
            .text(m_chart.get_y_axis())
            .raw("</text>\n");
    }

    // Category labels under the plot, thinned out so they do not overlap.
    void draw_category_labels(double band)
    {
        std::size_t every = static_cast<std::size_t>(std::ceil(64 / band));
        for (std::size_t i = 0; i < m_points.size(); i += std::max<std::size_t>(every, 1))
            text_at(LEFT + band * (i + 0.5), TOP + PLOT_HEIGHT + 16, "tick",
                    shortened(m_points[i].label, LABEL_CHARACTERS));
    }

    void data_label(double x, double y, const std::string& text)
    {
        if (m_chart.get_display_labels())
            text_at(x, y, "data-label", text);
    }

    void point_title(const CHART_POINT& point)
    {
        m_out.raw("<title>").text(point.label).raw(": ").raw(value_text(point.value)).raw("</title>");
    }

    void draw_bars(bool histogram)
    {
        CHART_AXIS axis = value_axis(true);
        draw_frame(axis);
        double band = PLOT_WIDTH / static_cast<double>(m_points.size());
        double width = histogram ? band : band * 0.7;
        double zero = y_of(axis, 0);
        for (std::size_t i = 0; i < m_points.size(); ++i) {
            double x = LEFT + band * i + (band - width) / 2;
            double y = y_of(axis, m_points[i].value);
            m_out.raw(histogram ? "<rect class=\"bar histogram\" x=\"" : "<rect class=\"bar\" x=\"").raw(fixed(x));
            m_out.raw("\" y=\"").raw(fixed(std::min(y, zero))).raw("\" width=\"").raw(fixed(width));
            m_out.raw("\" height=\"").raw(fixed(std::fabs(zero - y))).raw("\" fill=\"").raw(SERIES_COLOR).raw("\">");
            point_title(m_points[i]);
            m_out.raw("</rect>\n");
            data_label(x + width / 2, m_points[i].value >= 0 ? y - 4 : y + 12, value_text(m_points[i].value));
        }
        draw_category_labels(band);
    }

    // Line and scatter charts. A scatter chart whose names are all numbers
    // places its points at those numbers; otherwise points stand in order.
    void draw_series(bool scatter, bool joined)
    {
        CHART_AXIS axis = value_axis(!scatter);
        draw_frame(axis);
        std::vector<double> xs(m_points.size());
        bool numeric_x = scatter && numeric_labels(xs);
        double band = PLOT_WIDTH / static_cast<double>(m_points.size());
        std::vector<double> positions(m_points.size());
        if (numeric_x) {
            CHART_AXIS x_axis(*std::min_element(xs.begin(), xs.end()), *std::max_element(xs.begin(), xs.end()), false);
            for (std::size_t i = 0; i < xs.size(); ++i)
                positions[i] = LEFT + PLOT_WIDTH * x_axis.fraction(xs[i]);
            for (double tick : x_axis.ticks())
                text_at(LEFT + PLOT_WIDTH * x_axis.fraction(tick), TOP + PLOT_HEIGHT + 16, "tick", value_text(tick));
        } else {
            for (std::size_t i = 0; i < positions.size(); ++i)
                positions[i] = LEFT + band * (i + 0.5);
            draw_category_labels(band);
        }
        if (joined) {
            m_out.raw("<polyline class=\"line\" fill=\"none\" stroke=\"").raw(SERIES_COLOR).raw("\" points=\"");
            for (std::size_t i = 0; i < m_points.size(); ++i)
                m_out.raw(fixed(positions[i])).raw(',').raw(fixed(y_of(axis, m_points[i].value))).raw(' ');
            m_out.raw("\"/>\n");
        }
        for (std::size_t i = 0; i < m_points.size(); ++i) {
            double y = y_of(axis, m_points[i].value);
            m_out.raw("<circle class=\"point\" cx=\"").raw(fixed(positions[i])).raw("\" cy=\"").raw(fixed(y));
            m_out.raw("\" r=\"").raw(scatter ? "4" : "3").raw("\" fill=\"").raw(SERIES_COLOR).raw("\">");
            point_title(m_points[i]);
            m_out.raw("</circle>\n");
            data_label(positions[i], y - 8, value_text(m_points[i].value));
        }
    }

    bool numeric_labels(std::vector<double>& xs) const
    {
        for (std::size_t i = 0; i < m_points.size(); ++i) {
            const char* text = m_points[i].label.c_str();
            char* end = nullptr;
            errno = 0;
            xs[i] = std::strtod(text, &end);
            if (*text == '\0' || *end != '\0' || errno != 0 || !std::isfinite(xs[i]))
                return false;
        }
        return true;
    }

    // Slices for the positive values, a legend beside them with every
    // point's value and share.
    void draw_pie()
    {
        double total = 0;
        for (const CHART_POINT& point : m_points)
            total += std::max(point.value, 0.0);
        const double cx = 180, cy = 180, radius = 150;
        double angle = -M_PI / 2;
        for (std::size_t i = 0; i < m_points.size() && total > 0; ++i) {
            double share = std::max(m_points[i].value, 0.0) / total;
            if (share <= 0)
                continue;
            const char* color = PALETTE[i % RDB_HTML_PALETTE_SIZE];
            if (share >= 1) {
                m_out.raw("<circle class=\"slice\" cx=\"180\" cy=\"180\" r=\"150\" fill=\"").raw(color).raw("\">");
            } else {
                double end = angle + share * 2 * M_PI;
                m_out.raw("<path class=\"slice\" fill=\"").raw(color).raw("\" d=\"M180,180 L");
                m_out.raw(fixed(cx + radius * std::cos(angle))).raw(',').raw(fixed(cy + radius * std::sin(angle)));
                m_out.raw(" A150,150 0 ").raw(share > 0.5 ? "1" : "0").raw(",1 ");
                m_out.raw(fixed(cx + radius * std::cos(end))).raw(',').raw(fixed(cy + radius * std::sin(end)));
                m_out.raw(" Z\">");
            }
            point_title(m_points[i]);
            m_out.raw(share >= 1 ? "</circle>\n" : "</path>\n");
            double middle = angle + share * M_PI;
            if (share >= 0.03)
                data_label(cx + radius * 0.65 * std::cos(middle), cy + radius * 0.65 * std::sin(middle) + 4,
                           fixed(100 * share) + "%");
            angle += share * 2 * M_PI;
        }
        if (total <= 0)
            text_at(cx, cy, "tick", "no positive values to draw");
        draw_legend(total);
    }

    void draw_legend(double total)
    {
        const std::size_t shown = 16;
        double y = TOP;
        for (std::size_t i = 0; i < m_points.size() && i < shown; ++i, y += 19) {
            m_out.raw("<rect x=\"360\" y=\"").raw(fixed(y)).raw("\" width=\"12\" height=\"12\" fill=\"");
            m_out.raw(PALETTE[i % RDB_HTML_PALETTE_SIZE]).raw("\"/>\n");
            std::string entry = shortened(m_points[i].label, 30) + ": " + value_text(m_points[i].value);
            if (total > 0 && m_points[i].value > 0)
                entry += " (" + fixed(100 * m_points[i].value / total) + "%)";
            text_at(380, y + 11, "legend", entry, "start");
        }
        if (m_points.size() > shown)
            text_at(380, y + 11, "legend", "and " + std::to_string(m_points.size() - shown) + " more", "start");
        if (!m_chart.get_x_axis().empty() || !m_chart.get_y_axis().empty()) {
            std::string axes = std::string(m_chart.get_x_axis().c_str()) + " / " + m_chart.get_y_axis().c_str();
            text_at(180, HEIGHT - 8, "axis-label", axes);
        }
    }

    // The value axis over every point's value.
    CHART_AXIS value_axis(bool from_zero) const
    {
        auto by_value = [](const CHART_POINT& a, const CHART_POINT& b) { return a.value < b.value; };
        auto range = std::minmax_element(m_points.begin(), m_points.end(), by_value);
        return CHART_AXIS(range.first->value, range.second->value, from_zero);
    }

    RDB_HTML_OUTPUT& m_out;
    const RDB_CHART_TABLE_OBJECT& m_chart;
    std::vector<CHART_POINT> m_points;
};

}  // namespace

void rdb_html_write_chart(RDB_HTML_OUTPUT& out, const RDB_CHART_TABLE_OBJECT& chart,
                          const std::vector<RDB_CHART_POINT>& points)
{
    if (points.empty()) {
        out.raw("<p class=\"empty\">No data points.</p>\n");
        return;
    }
    out.raw("<div class=\"chart-wrap\">");
    CHART_DRAWING(out, chart, drawn_points(points)).draw();
    out.raw("</div>\n");
    if (points.size() > RDB_HTML_CHART_MAX_POINTS)
        out.raw("<p class=\"note\">The first ").number(RDB_HTML_CHART_MAX_POINTS).raw(" of ")
            .number(static_cast<long>(points.size()))
            .raw(" data points are drawn; the data table lists them all.</p>\n");
}
