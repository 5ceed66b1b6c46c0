// The byte sink of the HTML writer: markup of the writer's own goes out as
// it is, report text only through text(), which escapes it. Output is
// gathered in a buffer and handed to the stream in large blocks, by the sink
// itself as the buffer fills, and by flush() when the page is complete.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include <rdbxml/stl_string.h>

class RDB_HTML_OUTPUT {
public:
    // Nothing is flushed on destruction: a page cut short by an exception
    // (no memory, a stream that refuses) is not continued, and the stream's
    // own error cannot escape a destructor while that exception passes.
    explicit RDB_HTML_OUTPUT(std::ostream& out) : m_out(out) {}
    RDB_HTML_OUTPUT(const RDB_HTML_OUTPUT&) = delete;
    RDB_HTML_OUTPUT& operator=(const RDB_HTML_OUTPUT&) = delete;

    // Markup written by the writer itself; never report text.
    RDB_HTML_OUTPUT& raw(const char* markup);
    RDB_HTML_OUTPUT& raw(const std::string& markup);
    RDB_HTML_OUTPUT& raw(char c)
    {
        m_buffer += c;
        return flush_if_full();
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

    // Hands what is buffered to the stream; the writer calls it once, when
    // the page is complete. A stream error shows as the stream reports it
    // (its state, or the exception it throws).
    void flush();

private:
    static constexpr std::size_t FLUSH_SIZE = 1 << 16;

    // Hands the buffer to the stream once it has grown large; every write
    // ends here.
    RDB_HTML_OUTPUT& flush_if_full()
    {
        if (m_buffer.size() >= FLUSH_SIZE)
            flush();
        return *this;
    }

    std::ostream& m_out;
    std::string m_buffer;
};
