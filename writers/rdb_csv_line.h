// One line of CSV at a time, each field quoted by libcsv as it needs, the
// line ended as RFC 4180 ends it, for every CSV the writers make.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include <csv.h>

class RDB_CSV_LINE {
public:
    explicit RDB_CSV_LINE(std::ostream& out) : m_out(out) {}

    void field(const std::string& text)
    {
        if (m_fields++ > 0)
            m_line += ',';
        // A quoted field is at most twice the text and its two quotes.
        std::size_t at = m_line.size();
        m_line.resize(at + 2 * text.size() + 2);
        m_line.resize(at + csv_write(&m_line[at], m_line.size() - at, text.data(), text.size()));
    }
    void end()
    {
        m_line += "\r\n";
        m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_line.clear();
        m_fields = 0;
    }

private:
    std::ostream& m_out;
    std::string m_line;
    std::size_t m_fields = 0;
};
