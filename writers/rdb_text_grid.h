// Rows of texts laid out as aligned columns, for the text tree's tables,
// charts and gauges: each column as wide as its widest text, two spaces
// between columns, numbers right-aligned (and the title above them), and a
// line of dashes under a heading row.
//
// The rows are rendered twice, once to measure and once to write, so that
// a table of a million rows needs no copy of its texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct RDB_TEXT_CELL {
    std::string text;  // already escaped
    bool right_aligned = false;
};

// One row: its cells, and whether it holds the column titles. The cells'
// strings are kept from row to row, so rendering allocates little.
class RDB_TEXT_ROW {
public:
    void start(bool heading = false)
    {
        m_used = 0;
        m_heading = heading;
    }
    // Adds a cell and returns its text, empty, to be filled (escaped).
    std::string& add_cell(bool right_aligned);

    std::size_t size() const { return m_used; }
    const RDB_TEXT_CELL& operator[](std::size_t index) const { return m_cells[index]; }
    bool is_heading() const { return m_heading; }

private:
    std::vector<RDB_TEXT_CELL> m_cells;
    std::size_t m_used = 0;
    bool m_heading = false;
};

class RDB_TEXT_GRID {
public:
    // `render(r, row)` fills `row` with row r (0 <= r < rows), the same
    // each time it is asked; `write(line)` takes each finished line.
    template <typename RENDER, typename WRITE>
    void write(std::size_t rows, RENDER&& render, const std::string& indent, WRITE&& write)
    {
        RDB_TEXT_ROW row;
        for (std::size_t r = 0; r < rows; ++r) {
            render(r, row);
            measure(row);
        }
        std::string line;
        for (std::size_t r = 0; r < rows; ++r) {
            render(r, row);
            line = indent;
            layout(row, line);
            write(line);
            if (row.is_heading()) {
                line = indent;
                rule(row.size(), line);
                write(line);
            }
        }
    }

private:
    void measure(const RDB_TEXT_ROW& row);
    void layout(const RDB_TEXT_ROW& row, std::string& line) const;
    void rule(std::size_t columns, std::string& line) const;

    std::vector<std::size_t> m_widths;
    // Per column: -1 before its first data cell, then whether that cell was
    // a number.
    std::vector<int> m_numeric;
};
