// RDBXML_TEXT: an output stream into a string, which the text is then moved
// out of, so that a report's whole text (or page) is never copied. Memory
// running out throws std::bad_alloc, rather than setting the bad bit and
// leaving a report cut short to be printed.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

class RDBXML_TEXT : public std::ostream {
public:
    RDBXML_TEXT() : std::ostream(&m_buffer) { exceptions(std::ios::badbit); }
    std::string take() { return std::move(m_buffer.m_text); }

private:
    struct BUFFER : std::streambuf {
        int_type overflow(int_type c) override
        {
            if (c != traits_type::eof())
                m_text.push_back(static_cast<char>(c));
            return traits_type::not_eof(c);
        }
        std::streamsize xsputn(const char* s, std::streamsize n) override
        {
            m_text.append(s, static_cast<std::size_t>(n));
            return n;
        }
        std::string m_text;
    };
    BUFFER m_buffer;
};
