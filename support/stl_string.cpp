#include <rdbxml/stl_string.h>

#include <cstring>

// Constructed from the text, a string's storage is the text's size (an
// assignment to an empty string would round it up to twice the inline room).
STL_STRING::STL_STRING(const char* text) : STL_STRING(text, text != nullptr ? std::strlen(text) : 0) {}

STL_STRING::STL_STRING(const char* text, std::size_t length)
    : m_text(text != nullptr ? text : "", text != nullptr ? length : 0)
{
}

STL_STRING& STL_STRING::operator=(const STL_STRING& other)
{
    if (this != &other)
        assign_exact(other.m_text.data(), other.m_text.size());
    return *this;
}

STL_STRING& STL_STRING::operator=(const char* text)
{
    if (text == nullptr)
        m_text.clear();
    else
        assign_exact(text, std::strlen(text));
    return *this;
}

void STL_STRING::assign_exact(const char* text, std::size_t length)
{
    if (length <= m_text.capacity()) {
        // May be part of this very string: assign handles that.
        m_text.assign(text, length);
        return;
    }
    // Longer than anything this string holds, so not part of it.
    decltype(m_text) fitted(text, length);
    m_text.swap(fitted);
}

STL_STRING& STL_STRING::operator+=(const char* text)
{
    if (text != nullptr)
        m_text.append(text);
    return *this;
}

STL_STRING& STL_STRING::append(const STL_STRING& other)
{
    m_text.append(other.m_text);
    return *this;
}

STL_STRING& STL_STRING::append(const char* text, std::size_t length)
{
    if (text != nullptr)
        m_text.append(text, length);
    return *this;
}

STL_STRING::iterator STL_STRING::erase(iterator first, iterator last)
{
    std::size_t from = static_cast<std::size_t>(first - begin());
    std::size_t count = static_cast<std::size_t>(last - first);
    m_text.erase(from, count);
    return begin() + from;
}

namespace {

// A null text compares as the empty string, as the constructor reads it.
const char* text_of(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

// Byte-wise comparisons on unsigned bytes, as strcmp does.
bool operator<(const STL_STRING& a, const STL_STRING& b) { return a.m_text.compare(b.m_text) < 0; }
bool operator<(const char* a, const STL_STRING& b) { return std::strcmp(text_of(a), b.c_str()) < 0; }
bool operator<(const STL_STRING& a, const char* b) { return std::strcmp(a.c_str(), text_of(b)) < 0; }
bool operator==(const STL_STRING& a, const char* b) { return a.m_text.compare(text_of(b)) == 0; }
bool operator==(const STL_STRING& a, const STL_STRING& b) { return a.m_text == b.m_text; }
