#include <rdbxml/rdb_diff_writer.h>

#include <ostream>

#include "rdb_diff_describe.h"
#include "rdb_text_escape.h"

namespace {

// The colours of a terminal, as select graphic rendition sequences.
const char* const BOLD = "\x1b[1m";
const char* const CYAN = "\x1b[36m";
const char* const GREEN = "\x1b[32m";
const char* const RED = "\x1b[31m";
const char* const RESET = "\x1b[m";

}  // namespace

RDB_DIFF_TEXT_WRITER::RDB_DIFF_TEXT_WRITER(std::ostream& out, std::string old_name, std::string new_name, bool colour)
    : m_out(out), m_old_name(std::move(old_name)), m_new_name(std::move(new_name)), m_colour(colour)
{
}

void RDB_DIFF_TEXT_WRITER::write(const RDB_DIFF_CHANGE& change)
{
    const char* on = "";
    auto colour = [&](const char* code) {
        on = m_colour ? code : "";
        m_line += on;
    };
    auto end_colour = [&] {
        if (*on != '\0')
            m_line += RESET;
        on = "";
    };
    m_line.clear();
    if (m_heading.empty()) {
        colour(BOLD);
        m_line += "--- ";
        rdb_text_append_escaped(m_line, m_old_name, false);
        end_colour();
        m_line += '\n';
        colour(BOLD);
        m_line += "+++ ";
        rdb_text_append_escaped(m_line, m_new_name, false);
        end_colour();
        m_line += '\n';
    }
    std::string heading = rdb_diff_heading(change);
    if (heading != m_heading) {
        colour(CYAN);
        m_line += "@@ " + heading + " @@";
        end_colour();
        m_line += '\n';
        m_heading = std::move(heading);
    }
    char sign = rdb_diff_sign(change);
    RDB_DIFF_MARKS marks;
    if (sign != '~')
        colour(sign == '+' ? GREEN : RED);
    else if (m_colour)
        marks = RDB_DIFF_MARKS{RED, GREEN, RESET};
    m_line += sign;
    m_line += ' ';
    m_line += rdb_diff_line(change, marks);
    end_colour();
    m_line += '\n';
    m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
}
