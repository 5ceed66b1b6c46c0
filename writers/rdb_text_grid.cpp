#include "rdb_text_grid.h"

#include <algorithm>

#include "rdb_text_escape.h"

std::string& RDB_TEXT_ROW::add_cell(bool right_aligned)
{
    if (m_used == m_cells.size())
        m_cells.emplace_back();
    RDB_TEXT_CELL& cell = m_cells[m_used++];
    cell.text.clear();
    cell.right_aligned = right_aligned;
    return cell.text;
}

void RDB_TEXT_GRID::measure(const RDB_TEXT_ROW& row)
{
    if (row.size() > m_widths.size()) {
        m_widths.resize(row.size(), 0);
        m_numeric.resize(row.size(), -1);
    }
    for (std::size_t c = 0; c < row.size(); ++c) {
        m_widths[c] = std::max(m_widths[c], rdb_text_display_width(row[c].text));
        if (!row.is_heading() && m_numeric[c] < 0)
            m_numeric[c] = row[c].right_aligned ? 1 : 0;
    }
}

void RDB_TEXT_GRID::layout(const RDB_TEXT_ROW& row, std::string& line) const
{
    for (std::size_t c = 0; c < row.size(); ++c) {
        const RDB_TEXT_CELL& cell = row[c];
        bool right = row.is_heading() ? m_numeric[c] == 1 : cell.right_aligned;
        std::size_t padding = m_widths[c] - rdb_text_display_width(cell.text);
        if (c > 0)
            line += "  ";
        if (right)
            line.append(padding, ' ');
        line += cell.text;
        if (!right && c + 1 < row.size())
            line.append(padding, ' ');
    }
    // No spaces at the end (an empty last cell).
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
}

void RDB_TEXT_GRID::rule(std::size_t columns, std::string& line) const
{
    for (std::size_t c = 0; c < columns; ++c) {
        if (c > 0)
            line += "  ";
        line.append(m_widths[c], '-');
    }
}
