// RapidJSON's writer as the JSON writers use it: onto an output stream in
// blocks, its stack growing through an allocator that throws when memory
// runs out, and report strings repaired to UTF-8 as they are written.
#pragma once

#include <cstddef>
#include <new>
#include <ostream>

#include <rapidjson/writer.h>

#include <rdbxml/stl_string.h>

// The output stream as RapidJSON's writer sees it: bytes are gathered in a
// buffer and handed to the ostream in blocks, not one call per character.
class RDB_JSON_OUTPUT {
public:
    typedef char Ch;

    // The writer flushes when its value is complete. Nothing is flushed on
    // destruction: a document cut short by an exception (no memory, a
    // stream that refuses) is not continued, and the stream's own error
    // cannot escape a destructor while that exception passes.
    explicit RDB_JSON_OUTPUT(std::ostream& out) : m_out(out) {}
    RDB_JSON_OUTPUT(const RDB_JSON_OUTPUT&) = delete;
    RDB_JSON_OUTPUT& operator=(const RDB_JSON_OUTPUT&) = delete;

    void Put(char c)
    {
        if (m_used == sizeof(m_buffer))
            Flush();
        m_buffer[m_used++] = c;
    }
    void Flush()
    {
        if (m_used != 0)
            m_out.write(m_buffer, static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

private:
    std::ostream& m_out;
    std::size_t m_used = 0;
    char m_buffer[1 << 14];
};

// The writer's own stack grows through this allocator. RapidJSON's default
// one gives null when memory runs out, and the writer then writes through
// it; this one throws, as every other allocation of the program does.
class RDB_JSON_ALLOCATOR : public rapidjson::CrtAllocator {
public:
    void* Malloc(std::size_t size)
    {
        void* p = rapidjson::CrtAllocator::Malloc(size);
        if (p == nullptr && size != 0)
            throw std::bad_alloc();
        return p;
    }
    void* Realloc(void* original, std::size_t original_size, std::size_t new_size)
    {
        void* p = rapidjson::CrtAllocator::Realloc(original, original_size, new_size);
        if (p == nullptr && new_size != 0)
            throw std::bad_alloc();
        return p;
    }
};

typedef rapidjson::Writer<RDB_JSON_OUTPUT, rapidjson::UTF8<>, rapidjson::UTF8<>, RDB_JSON_ALLOCATOR> RDB_JSON_WRITER;

// Writes `length` bytes of `text` as a JSON string: well-formed UTF-8 as
// it is, each ill-formed part as U+FFFD.
void rdb_json_write_string(RDB_JSON_WRITER& json, const char* text, std::size_t length);
inline void rdb_json_write_string(RDB_JSON_WRITER& json, const STL_STRING& text)
{
    rdb_json_write_string(json, text.c_str(), text.size());
}
