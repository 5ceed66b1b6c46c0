// STL_STRING: the owning, zero-terminated byte string of every interface.
// Comparisons are byte-wise (unsigned bytes), so names that differ only in
// case are different strings.
//
// A string is 16 bytes. Up to 15 bytes of text live inside it; a longer
// text lives in storage from the memory manager (while a report is read,
// its pool), sized to the text when constructed or assigned. A report holds
// millions of short cell texts and names, most of them shorter than 16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include <rdbxml/mem_manager.h>

class STL_STRING {
public:
    typedef char* iterator;
    typedef const char* const_iterator;

    // The longest text kept inside the string itself.
    static constexpr std::size_t INLINE_CAPACITY = 15;
    // The longest text a string holds (2 GiB less one byte); a longer one
    // throws std::length_error.
    static constexpr std::size_t MAX_SIZE = 0x7fffffff;

    STL_STRING() noexcept { set_inline_size(0); }
    STL_STRING(const char* text);  // null reads as the empty string
    STL_STRING(const char* text, std::size_t length);
    STL_STRING(const STL_STRING& other) : STL_STRING(other.data(), other.size()) {}
    STL_STRING(STL_STRING&& other) noexcept;
    // Assigning keeps the storage when the text fits, and otherwise takes
    // storage of the text's own size: a report holds many strings copied
    // once from a longer-lived buffer, and growth by doubling would leave
    // most of them with room they never use.
    STL_STRING& operator=(const STL_STRING& other);
    STL_STRING& operator=(STL_STRING&& other) noexcept;
    STL_STRING& operator=(const char* text);
    ~STL_STRING() { release(); }

    const char* c_str() const { return data(); }
    // The text as a view (valid while the string is unchanged) or a copy.
    std::string_view view() const { return std::string_view(data(), size()); }
    operator std::string_view() const { return view(); }
    std::string str() const { return std::string(data(), size()); }
    // A copy, so that `std::string s = object.get_name();` reads as it would
    // with any other string. (std::string's own constructors take the
    // string_view above when initialised directly: both agree.)
    operator std::string() const { return str(); }
    bool empty() const { return size() == 0; }
    std::size_t size() const { return on_heap() ? heap_size() : INLINE_CAPACITY - tag(); }
    std::size_t length() const { return size(); }
    // Bytes the string holds without taking new storage.
    std::size_t capacity() const { return on_heap() ? heap_capacity() : INLINE_CAPACITY; }

    STL_STRING& operator+=(const char* text);
    STL_STRING& append(const STL_STRING& other);
    STL_STRING& append(const char* text, std::size_t length);

    iterator begin() { return data(); }
    iterator end() { return data() + size(); }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size(); }
    // Removes [first, last); returns the position after the removed range.
    iterator erase(iterator first, iterator last);
    void clear() { set_size(0); }
    void reserve(std::size_t n);

    friend bool operator<(const STL_STRING& a, const STL_STRING& b);
    friend bool operator<(const char* a, const STL_STRING& b);
    friend bool operator<(const STL_STRING& a, const char* b);
    friend bool operator==(const STL_STRING& a, const char* b);
    friend bool operator==(const STL_STRING& a, const STL_STRING& b);
    friend bool operator!=(const STL_STRING& a, const char* b) { return !(a == b); }
    friend bool operator!=(const STL_STRING& a, const STL_STRING& b) { return !(a == b); }

    // The same byte-wise order and equality against std::string, either side.
    friend bool operator<(const STL_STRING& a, const std::string& b);
    friend bool operator<(const std::string& a, const STL_STRING& b);
    friend bool operator==(const STL_STRING& a, const std::string& b) { return a.view() == std::string_view(b); }
    friend bool operator==(const std::string& a, const STL_STRING& b) { return b == a; }
    friend bool operator!=(const STL_STRING& a, const std::string& b) { return !(a == b); }
    friend bool operator!=(const std::string& a, const STL_STRING& b) { return !(b == a); }

    // Joining gives a std::string: the joined text is the host's, made to be
    // used and dropped, so it takes no storage from the memory manager (which,
    // while a report is read, is the report's pool), and a chain such as
    // `name + "/" + other` grows one std::string as std::string does.
    friend std::string operator+(const STL_STRING& a, const STL_STRING& b) { return joined(a, b); }
    friend std::string operator+(const STL_STRING& a, const char* b) { return joined(a, b != nullptr ? b : ""); }
    friend std::string operator+(const STL_STRING& a, const std::string& b) { return joined(a, b); }
    friend std::string operator+(const char* a, const STL_STRING& b) { return joined(a != nullptr ? a : "", b); }
    friend std::string operator+(std::string a, const STL_STRING& b)
    {
        a.append(b.data(), b.size());
        return a;
    }

    // Writes the text, all of its bytes.
    friend std::ostream& operator<<(std::ostream& out, const STL_STRING& text)
    {
        return out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

private:
    // The 16 bytes hold one of two layouts, told apart by the top bit of the
    // last byte:
    // - inside: the text and its terminator, the last byte 15 minus the
    //   length (so a text of 15 bytes ends on a zero byte of its own);
    // - outside: bytes 0-7 the storage's address, 8-11 the length, 12-15
    //   the capacity with the top bit set, least significant byte first.
    static constexpr unsigned char HEAP_FLAG = 0x80;

    // `a` then `b`, in storage of their joint length.
    static std::string joined(std::string_view a, std::string_view b)
    {
        std::string text;
        text.reserve(a.size() + b.size());
        text.append(a).append(b);
        return text;
    }

    unsigned char tag() const { return static_cast<unsigned char>(m_bytes[15]); }
    bool on_heap() const { return (tag() & HEAP_FLAG) != 0; }
    char* data() { return on_heap() ? heap_data() : m_bytes; }
    const char* data() const { return on_heap() ? heap_data() : m_bytes; }

    char* heap_data() const
    {
        char* p;
        std::memcpy(&p, m_bytes, sizeof p);
        return p;
    }
    std::size_t heap_size() const
    {
        std::uint32_t n;
        std::memcpy(&n, m_bytes + 8, sizeof n);
        return n;
    }
    std::size_t heap_capacity() const
    {
        const auto* b = reinterpret_cast<const unsigned char*>(m_bytes) + 12;
        return b[0] | (std::size_t(b[1]) << 8) | (std::size_t(b[2]) << 16) |
               (std::size_t(b[3] & ~HEAP_FLAG) << 24);
    }
    void set_inline_size(std::size_t n)
    {
        m_bytes[n] = '\0';
        m_bytes[15] = static_cast<char>(INLINE_CAPACITY - n);
    }
    void set_heap_size(std::size_t n)
    {
        const auto length = static_cast<std::uint32_t>(n);
        std::memcpy(m_bytes + 8, &length, sizeof length);
        heap_data()[n] = '\0';
    }
    void set_heap(char* storage, std::size_t size, std::size_t capacity)
    {
        std::memcpy(m_bytes, &storage, sizeof storage);
        auto* b = reinterpret_cast<unsigned char*>(m_bytes) + 12;
        b[0] = static_cast<unsigned char>(capacity);
        b[1] = static_cast<unsigned char>(capacity >> 8);
        b[2] = static_cast<unsigned char>(capacity >> 16);
        b[3] = static_cast<unsigned char>((capacity >> 24) | HEAP_FLAG);
        set_heap_size(size);
    }
    // Sets the length of the text now held, which fits, and terminates it.
    void set_size(std::size_t n)
    {
        if (on_heap())
            set_heap_size(n);
        else
            set_inline_size(n);
    }
    // Storage for `capacity` bytes and a terminator (throws std::bad_alloc).
    static char* allocate(std::size_t capacity);
    void release() noexcept
    {
        if (on_heap())
            MEM_MANAGER::delete_wrapper(heap_data(), "RDB_XML");
    }
    // Makes this string `text` (which may lie inside it), keeping storage
    // that fits and otherwise taking storage of the text's size.
    void assign_exact(const char* text, std::size_t length);

    alignas(8) char m_bytes[16];
};
