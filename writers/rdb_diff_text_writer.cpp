#include <rdbxml/rdb_diff_writer.h>

#include <ostream>

#include "rdb_diff_describe.h"
#include "rdb_text_escape.h"

RDB_DIFF_TEXT_WRITER::RDB_DIFF_TEXT_WRITER(std::ostream& out, std::string old_name, std::string new_name)
    : m_out(out), m_old_name(std::move(old_name)), m_new_name(std::move(new_name))
{
}

void RDB_DIFF_TEXT_WRITER::write(const RDB_DIFF_CHANGE& change)
{
    m_line.clear();
    if (m_heading.empty()) {
        m_line += "--- ";
        rdb_text_append_escaped(m_line, m_old_name, false);
        m_line += "\n+++ ";
        rdb_text_append_escaped(m_line, m_new_name, false);
        m_line += '\n';
    }
    std::string heading = rdb_diff_heading(change);
    if (heading != m_heading) {
        m_line += "@@ " + heading + " @@\n";
        m_heading = std::move(heading);
    }
    m_line += rdb_diff_sign(change);
    m_line += ' ';
    m_line += rdb_diff_line(change);
    m_line += '\n';
    m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
}
