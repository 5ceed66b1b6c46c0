#include <rdbxml/stl_string.h>

#include <algorithm>
#include <new>
#include <stdexcept>

static_assert(sizeof(STL_STRING) == 16, "a string is two words");

char* STL_STRING::allocate(std::size_t capacity)
{
    if (capacity > MAX_SIZE)
        throw std::length_error("text longer than 2 GiB");
    void* p = MEM_MANAGER::new_wrapper(capacity + 1, MEM_SITE_TRACKER(char, "RDB_XML"), "support/stl_string");
    if (p == nullptr)
        throw std::bad_alloc();
    return static_cast<char*>(p);
}

// Constructed from the text, a string's storage is the text's size.
STL_STRING::STL_STRING(const char* text) : STL_STRING(text, text != nullptr ? std::strlen(text) : 0) {}

STL_STRING::STL_STRING(const char* text, std::size_t length)
{
    if (text == nullptr)
        length = 0;
    if (length <= INLINE_CAPACITY) {
        if (length != 0)
            std::memcpy(m_bytes, text, length);
        set_inline_size(length);
        return;
    }
    char* storage = allocate(length);
    std::memcpy(storage, text, length);
    set_heap(storage, length, length);
}

STL_STRING::STL_STRING(STL_STRING&& other) noexcept
{
    std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
    other.set_inline_size(0);
}

STL_STRING& STL_STRING::operator=(STL_STRING&& other) noexcept
{
    if (this != &other) {
        release();
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.set_inline_size(0);
    }
    return *this;
}

STL_STRING& STL_STRING::operator=(const STL_STRING& other)
{
    if (this != &other)
        assign_exact(other.data(), other.size());
    return *this;
}

STL_STRING& STL_STRING::operator=(const char* text)
{
    if (text == nullptr)
        clear();
    else
        assign_exact(text, std::strlen(text));
    return *this;
}

void STL_STRING::assign_exact(const char* text, std::size_t length)
{
    if (length <= capacity()) {
        // May be part of this very string, hence memmove.
        std::memmove(data(), text, length);
        set_size(length);
        return;
    }
    // Longer than anything this string holds, so not part of it.
    char* storage = allocate(length);
    std::memcpy(storage, text, length);
    release();
    set_heap(storage, length, length);
}

void STL_STRING::reserve(std::size_t n)
{
    if (n <= capacity())
        return;
    const std::size_t length = size();
    char* storage = allocate(n);
    std::memcpy(storage, data(), length);
    release();
    set_heap(storage, length, n);
}

STL_STRING& STL_STRING::append(const char* text, std::size_t length)
{
    if (text == nullptr || length == 0)
        return *this;
    // The character data of every element is appended here: the layout is
    // read once.
    if (on_heap()) {
        const std::size_t old_size = heap_size();
        if (length <= heap_capacity() - old_size) {
            // May be part of this very string, hence memmove.
            std::memmove(heap_data() + old_size, text, length);
            set_heap_size(old_size + length);
            return *this;
        }
    } else {
        const std::size_t old_size = INLINE_CAPACITY - tag();
        if (length <= INLINE_CAPACITY - old_size) {
            std::memmove(m_bytes + old_size, text, length);
            set_inline_size(old_size + length);
            return *this;
        }
    }
    const std::size_t old_size = size();
    if (length > MAX_SIZE - old_size)
        throw std::length_error("text longer than 2 GiB");
    const std::size_t new_size = old_size + length;
    // Growth by doubling keeps a run of appends linear; the old storage
    // stays until the text is copied, as `text` may lie inside it.
    const std::size_t grown = std::min<std::size_t>(std::max(new_size, 2 * capacity()), MAX_SIZE);
    char* storage = allocate(grown);
    std::memcpy(storage, data(), old_size);
    std::memcpy(storage + old_size, text, length);
    release();
    set_heap(storage, new_size, grown);
    return *this;
}

STL_STRING& STL_STRING::operator+=(const char* text)
{
    return text != nullptr ? append(text, std::strlen(text)) : *this;
}

STL_STRING& STL_STRING::append(const STL_STRING& other) { return append(other.data(), other.size()); }

STL_STRING::iterator STL_STRING::erase(iterator first, iterator last)
{
    const std::size_t from = static_cast<std::size_t>(first - begin());
    const std::size_t count = static_cast<std::size_t>(last - first);
    const std::size_t length = size();
    std::memmove(data() + from, data() + from + count, length - from - count);
    set_size(length - count);
    return begin() + from;
}

namespace {

// A null text compares as the empty string, as the constructor reads it.
const char* text_of(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

bool operator<(const STL_STRING& a, const STL_STRING& b) { return a.view().compare(b.view()) < 0; }
bool operator<(const char* a, const STL_STRING& b) { return std::strcmp(text_of(a), b.c_str()) < 0; }
bool operator<(const STL_STRING& a, const char* b) { return std::strcmp(a.c_str(), text_of(b)) < 0; }
bool operator==(const STL_STRING& a, const char* b) { return a.view() == std::string_view(text_of(b)); }
bool operator==(const STL_STRING& a, const STL_STRING& b) { return a.view() == b.view(); }
bool operator<(const STL_STRING& a, const std::string& b) { return a.view().compare(b) < 0; }
bool operator<(const std::string& a, const STL_STRING& b) { return std::string_view(a).compare(b.view()) < 0; }
