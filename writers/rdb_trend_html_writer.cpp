#include <rdbxml/rdb_trend_writer.h>

#include <algorithm>
#include <cmath>
#include <ostream>

#include <rdbxml/rdb_rule.h>

#include "rdb_html_output.h"
#include "rdb_html_page.h"
#include "rdb_html_svg.h"
#include "rdb_html_table.h"

namespace {

const char* const TREND_STYLE = R"CSS(
svg .failed{stroke:#d64550;stroke-dasharray:3 3}
svg .run{fill:#5d6778;font-size:10px}
table.cells.trend td.failed{color:#d64550}
)CSS";

// The drawing area, in SVG units.
const double WIDTH = 720, HEIGHT = 360;
const double LEFT = 72, RIGHT = 16, TOP = 24, BOTTOM = 72;
const double PLOT_WIDTH = WIDTH - LEFT - RIGHT, PLOT_HEIGHT = HEIGHT - TOP - BOTTOM;
// Run labels under the time axis, at most this many, evenly spread.
const std::size_t RUN_LABELS = 8;

bool drawn(const RDB_TREND_VALUE& value) { return value.m_has_number && std::isfinite(value.m_number); }

class TREND_CHART {
public:
    TREND_CHART(RDB_HTML_OUTPUT& out, const RDB_TRENDS& trends, const RDB_TREND& trend)
        : m_out(out), m_runs(trends.m_runs), m_trend(trend)
    {
    }

    // False when the trend has no number to draw.
    bool draw()
    {
        bool any = false;
        double low = 0, high = 0;
        for (const RDB_TREND_SERIES& series : m_trend.m_series)
            for (const RDB_TREND_VALUE& value : series.m_values)
                if (drawn(value)) {
                    low = any ? std::min(low, value.m_number) : value.m_number;
                    high = any ? std::max(high, value.m_number) : value.m_number;
                    any = true;
                }
        if (!any)
            return false;
        RDB_HTML_AXIS axis(low, high, false);
        m_out.raw("<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"0 0 720 ");
        m_out.number(static_cast<long>(HEIGHT + 18 * m_trend.m_series.size())).raw("\"><title>");
        m_out.text(m_trend.m_selector).raw("</title>\n");
        for (double tick : axis.ticks()) {
            std::string y = rdb_html_fixed(y_of(axis, tick));
            m_out.raw("<line class=\"grid\" x1=\"").raw(rdb_html_fixed(LEFT)).raw("\" x2=\"");
            m_out.raw(rdb_html_fixed(WIDTH - RIGHT)).raw("\" y1=\"").raw(y).raw("\" y2=\"").raw(y).raw("\"/>\n");
            char label[32];
            std::snprintf(label, sizeof(label), "%g", tick);
            text_at(LEFT - 6, y_of(axis, tick) + 4, "tick", label, "end");
        }
        // Delays are drawn in picoseconds, whatever unit each report showed.
        for (const RDB_TREND_SERIES& series : m_trend.m_series)
            if (std::any_of(series.m_values.begin(), series.m_values.end(),
                            [](const RDB_TREND_VALUE& value) { return value.m_delay; })) {
                text_at(LEFT - 6, TOP - 8, "axis-label", "ps", "end");
                break;
            }
        m_out.raw("<line class=\"axis\" x1=\"").raw(rdb_html_fixed(LEFT)).raw("\" x2=\"").raw(rdb_html_fixed(LEFT));
        m_out.raw("\" y1=\"").raw(rdb_html_fixed(TOP)).raw("\" y2=\"").raw(rdb_html_fixed(TOP + PLOT_HEIGHT)).raw("\"/>\n");
        // Failed runs across the plot; a few run labels under it.
        std::size_t every = (m_runs.size() + RUN_LABELS - 1) / RUN_LABELS;
        for (std::size_t r = 0; r < m_runs.size(); ++r) {
            if (m_runs[r].m_failed) {
                std::string x = rdb_html_fixed(x_of(r));
                m_out.raw("<line class=\"failed\" x1=\"").raw(x).raw("\" x2=\"").raw(x).raw("\" y1=\"");
                m_out.raw(rdb_html_fixed(TOP)).raw("\" y2=\"").raw(rdb_html_fixed(TOP + PLOT_HEIGHT)).raw("\"><title>");
                m_out.text(m_runs[r].m_label).raw(": failed</title></line>\n");
            }
            if (r % every == 0)
                text_at(x_of(r), TOP + PLOT_HEIGHT + 16, "run", m_runs[r].m_label, "middle");
        }
        for (std::size_t s = 0; s < m_trend.m_series.size(); ++s)
            draw_series(axis, s);
        return true;
    }

private:
    double x_of(std::size_t run) const { return LEFT + PLOT_WIDTH * (run + 0.5) / m_runs.size(); }
    double y_of(const RDB_HTML_AXIS& axis, double value) const { return TOP + PLOT_HEIGHT * (1 - axis.fraction(value)); }

    void text_at(double x, double y, const char* css_class, const std::string& text, const char* anchor)
    {
        m_out.raw("<text class=\"").raw(css_class).raw("\" x=\"").raw(rdb_html_fixed(x)).raw("\" y=\"");
        m_out.raw(rdb_html_fixed(y)).raw("\" text-anchor=\"").raw(anchor).raw("\">").text(text).raw("</text>\n");
    }

    // One line per path, broken where a run has no value: a gap is never
    // drawn as if the value had gone on, nor as a zero.
    void draw_series(const RDB_HTML_AXIS& axis, std::size_t s)
    {
        const RDB_TREND_SERIES& series = m_trend.m_series[s];
        const char* color = RDB_HTML_PALETTE[s % RDB_HTML_PALETTE_SIZE];
        std::string d;
        bool joined = false;
        for (std::size_t r = 0; r < series.m_values.size(); ++r) {
            if (!drawn(series.m_values[r])) {
                joined = false;
                continue;
            }
            d += joined ? " L" : " M";
            d += rdb_html_fixed(x_of(r)) + ' ' + rdb_html_fixed(y_of(axis, series.m_values[r].m_number));
            joined = true;
        }
        m_out.raw("<path class=\"line\" fill=\"none\" stroke=\"").raw(color).raw("\" d=\"").raw(d).raw("\"/>\n");
        for (std::size_t r = 0; r < series.m_values.size(); ++r)
            if (drawn(series.m_values[r])) {
                m_out.raw("<circle r=\"2.5\" fill=\"").raw(color).raw("\" cx=\"").raw(rdb_html_fixed(x_of(r)));
                m_out.raw("\" cy=\"").raw(rdb_html_fixed(y_of(axis, series.m_values[r].m_number))).raw("\"><title>");
                m_out.text(m_runs[r].m_label + ": " + rdb_trend_value_text(series.m_values[r])).raw("</title></circle>\n");
            }
        double y = HEIGHT + 18 * s + 4;
        m_out.raw("<rect width=\"12\" height=\"4\" x=\"").raw(rdb_html_fixed(LEFT)).raw("\" y=\"");
        m_out.raw(rdb_html_fixed(y)).raw("\" fill=\"").raw(color).raw("\"/>\n");
        text_at(LEFT + 18, y + 6, "legend", series.m_path, "start");
    }

    RDB_HTML_OUTPUT& m_out;
    const std::vector<RDB_TREND_RUN>& m_runs;
    const RDB_TREND& m_trend;
};

// One row per run and path, in time order. A gauge's percent is a column
// of its own, as a number, so that both columns sort by number.
void values_table(RDB_HTML_OUTPUT& out, const RDB_TRENDS& trends, const RDB_TREND& trend, const std::string& id)
{
    out.raw("<details class=\"data\"><summary>Values</summary>");
    bool percents = false;
    for (const RDB_TREND_SERIES& series : trend.m_series)
        for (const RDB_TREND_VALUE& value : series.m_values)
            percents = percents || value.m_has_percent;
    std::vector<std::string> titles = {"Time", "Run", "Path", "Value"};
    if (percents)
        titles.push_back("%");
    std::size_t paths = trend.m_series.size();
    rdb_html_write_cell_rows(
        out, titles, trends.m_runs.size() * paths,
        [&](std::size_t row, std::vector<RDB_HTML_CELL>& cells) {
            const RDB_TREND_RUN& run = trends.m_runs[row / paths];
            const RDB_TREND_SERIES& series = trend.m_series[row % paths];
            cells.resize(titles.size());
            cells[0].m_text = rdb_trend_time_text(run.m_time);
            cells[1].m_text = run.m_label;
            cells[2].m_text = series.m_path;
            if (run.m_failed) {
                cells[3].m_text = "- (failed)";
                cells[3].m_class = "failed";
                return;
            }
            RDB_TREND_VALUE value = series.m_values[row / paths];
            cells[3].m_numeric = value.m_has_number && value.m_kind != RDB_TREND_SUMMARY_ROW;
            if (percents && value.m_has_percent) {
                std::string percent = rdb_format_percent(value.m_percent);
                if (!percent.empty() && percent.back() == '%')
                    percent.pop_back();
                cells[4].m_text = percent;
                cells[4].m_numeric = true;
            }
            value.m_has_percent = false;
            cells[3].m_text = rdb_trend_value_text(value);
        },
        id + "-t", "trend");
    out.raw("</details>\n");
}

}  // namespace

void rdb_write_trend_html(const RDB_TRENDS& trends, std::ostream& stream, const std::string& title)
{
    RDB_HTML_OUTPUT out(stream);
    std::string nonce = rdb_html_new_nonce();
    rdb_html_page_begin(out, title, nonce, TREND_STYLE);
    out.raw("<header class=\"page\"><h1>").text(title).raw("</h1><p>");
    out.number(static_cast<long>(trends.m_runs.size())).raw(trends.m_runs.size() == 1 ? " run" : " runs");
    out.raw("</p></header>\n<div class=\"layout\">\n");
    // Selectors are the command's, in its order: the same command gives
    // the same ids. The sidebar lists them with their count of paths.
    std::vector<RDB_HTML_NAV_ENTRY> entries;
    for (std::size_t t = 0; t < trends.m_trends.size(); ++t)
        entries.push_back({"trend-" + std::to_string(t + 1), trends.m_trends[t].m_selector,
                           trends.m_trends[t].m_series.size()});
    rdb_html_write_flat_navigation(out, "Trends", entries);
    out.raw("<main>\n");
    for (std::size_t t = 0; t < trends.m_trends.size(); ++t) {
        const RDB_TREND& trend = trends.m_trends[t];
        const std::string& id = entries[t].m_id;
        out.raw("<article class=\"object trend\" id=\"").raw(id).raw("\"><h3>").text(trend.m_selector);
        out.raw("</h3>\n<div class=\"chart-wrap\">");
        TREND_CHART chart(out, trends, trend);
        if (!chart.draw())
            out.raw("<p class=\"note\">No number to draw: the values are texts.</p>");
        out.raw("</div>\n");
        values_table(out, trends, trend, id);
        out.raw("</article>\n");
    }
    out.raw("</main>\n</div>\n");
    rdb_html_page_end(out, nonce);
    out.flush();
}
