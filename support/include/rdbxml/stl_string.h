// STL_STRING: the owning, zero-terminated byte string of every interface.
// Comparisons are byte-wise (unsigned bytes), so names that differ only in
// case are different strings.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include <rdbxml/mem_allocator.h>

class STL_STRING {
public:
    typedef char* iterator;
    typedef const char* const_iterator;

    STL_STRING() = default;
    STL_STRING(const char* text);  // null reads as the empty string
    STL_STRING(const char* text, std::size_t length);
    STL_STRING(const STL_STRING&) = default;
    STL_STRING(STL_STRING&&) noexcept = default;
    // Assigning keeps the storage when the text fits, and otherwise takes
    // storage of the text's own size: a report holds many strings copied
    // once from a longer-lived buffer, and growth by doubling would leave
    // most of them with room they never use.
    STL_STRING& operator=(const STL_STRING& other);
    STL_STRING& operator=(STL_STRING&&) noexcept = default;
    STL_STRING& operator=(const char* text);
    ~STL_STRING() = default;

    const char* c_str() const { return m_text.c_str(); }
    // The text as a view (valid while the string is unchanged) or a copy.
    std::string_view view() const { return std::string_view(m_text.data(), m_text.size()); }
    operator std::string_view() const { return view(); }
    std::string str() const { return std::string(m_text.data(), m_text.size()); }
    bool empty() const { return m_text.empty(); }
    std::size_t size() const { return m_text.size(); }
    std::size_t length() const { return m_text.size(); }

    STL_STRING& operator+=(const char* text);
    STL_STRING& append(const STL_STRING& other);
    STL_STRING& append(const char* text, std::size_t length);

    iterator begin() { return &m_text[0]; }
    iterator end() { return &m_text[0] + m_text.size(); }
    const_iterator begin() const { return m_text.data(); }
    const_iterator end() const { return m_text.data() + m_text.size(); }
    // Removes [first, last); returns the position after the removed range.
    iterator erase(iterator first, iterator last);
    void clear() { m_text.clear(); }
    void reserve(std::size_t n) { m_text.reserve(n); }

    friend bool operator<(const STL_STRING& a, const STL_STRING& b);
    friend bool operator<(const char* a, const STL_STRING& b);
    friend bool operator<(const STL_STRING& a, const char* b);
    friend bool operator==(const STL_STRING& a, const char* b);
    friend bool operator==(const STL_STRING& a, const STL_STRING& b);
    friend bool operator!=(const STL_STRING& a, const char* b) { return !(a == b); }
    friend bool operator!=(const STL_STRING& a, const STL_STRING& b) { return !(a == b); }

    // Writes the text, all of its bytes.
    friend std::ostream& operator<<(std::ostream& out, const STL_STRING& text)
    {
        return out.write(text.m_text.data(), static_cast<std::streamsize>(text.m_text.size()));
    }

private:
    void assign_exact(const char* text, std::size_t length);

    // Storage from the memory manager: while a report is read, from its pool.
    std::basic_string<char, std::char_traits<char>, MEM_ALLOCATOR<char>> m_text;
};
