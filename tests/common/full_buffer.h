// A stream buffer that takes `room` bytes and then fails, as a string
// stream does when its string cannot grow: by throwing std::bad_alloc (which
// a stream with exceptions(badbit) passes on, as the tool's text stream
// does), or, made with `throws` false, by taking no more (the stream then
// sets its bad bit).
#pragma once

#include <cstddef>
#include <new>
#include <streambuf>
#include <string>

class FULL_BUFFER : public std::streambuf {
public:
    explicit FULL_BUFFER(std::size_t room, bool throws = true) : m_room(room), m_throws(throws) {}
    // What was taken.
    std::string m_text;

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        if (take(1) == 0)
            return traits_type::eof();
        m_text.push_back(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        std::size_t taken = take(static_cast<std::size_t>(n));
        m_text.append(s, taken);
        return static_cast<std::streamsize>(taken);
    }

private:
    // How many of `n` bytes fit: all, or (throwing) none, or what is left.
    std::size_t take(std::size_t n)
    {
        if (n > m_room && m_throws)
            throw std::bad_alloc();
        std::size_t taken = n < m_room ? n : m_room;
        m_room -= taken;
        return taken;
    }

    std::size_t m_room;
    bool m_throws;
};
