// The byte sink of the HTML writer: markup of the writer's own goes out as
// it is, report text only through text(), which escapes it. Output is
// gathered in a buffer and handed to the stream in large blocks.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include <rdbxml/stl_string.h>

class RDB_HTML_OUTPUT {
public:
    explicit RDB_HTML_OUTPUT(std::ostream& out) : m_out(out) {}
    // Flushes what is left.
    ~RDB_HTML_OUTPUT();
    RDB_HTML_OUTPUT(const RDB_HTML_OUTPUT&) = delete;
    RDB_HTML_OUTPUT& operator=(const RDB_HTML_OUTPUT&) = delete;

    // Markup written by the writer itself; never report text.
    RDB_HTML_OUTPUT& raw(const char* markup);
    RDB_HTML_OUTPUT& raw(const std::string& markup);
    RDB_HTML_OUTPUT& raw(char c)
    {
        m_buffer += c;
        return *this;
    }
    RDB_HTML_OUTPUT& number(long value);

    // Report text as character data, safe in element content and in quoted
    // attribute values: & < > " ' become references; ill-formed UTF-8, NUL
    // and the other control characters except tab, line feed and carriage
    // return become U+FFFD.
    RDB_HTML_OUTPUT& text(const char* text, std::size_t length);
    RDB_HTML_OUTPUT& text(const char* text);
    RDB_HTML_OUTPUT& text(const std::string& text) { return this->text(text.data(), text.size()); }
    RDB_HTML_OUTPUT& text(const STL_STRING& text) { return this->text(text.c_str(), text.size()); }

    // Hands the buffer to the stream once it has grown large.
    void flush_if_full()
    {
        if (m_buffer.size() >= FLUSH_SIZE)
            flush();
    }
    void flush();

private:
    static constexpr std::size_t FLUSH_SIZE = 1 << 16;

    std::ostream& m_out;
    std::string m_buffer;
};

// The colour as CSS "#rrggbb".
std::string rdb_html_color(unsigned rgb);
