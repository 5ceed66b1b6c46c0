// RDB_XML_XERCES_MEMORY: the memory manager the driver gives its reader.
//
// The reader expands the entity references in an attribute value before any
// handler hears of the start tag, so RDB_XML_READER_LIMITS can only count
// the value once it is whole. What stops a small file from making one value
// of gigabytes first is this manager: it refuses any single block larger
// than ALLOCATION_RATIO times the bytes of the report read so far, or
// ALLOCATION_FLOOR while that is more. The reader keeps text in UTF-16 in
// buffers that double as they grow, four bytes a character at worst, so
// every value the expansion bound allows still fits; no report file holds
// one text anywhere near that large for its size.
//
// A refusal records why (refusal()) and throws OutOfMemoryException, which
// ends the parse: the reader lets it pass out of parse(), and the driver
// reports the reason. When the system itself has no memory left the same
// exception comes with no reason recorded.
#pragma once

#include <cstdint>
#include <string>

#include <xercesc/framework/MemoryManager.hpp>

class RDB_XML_XERCES_MEMORY : public xercesc::MemoryManager {
public:
    static constexpr std::uint64_t ALLOCATION_RATIO = 500;
    static constexpr std::uint64_t ALLOCATION_FLOOR = 64 << 20;

    // `input_bytes` counts the bytes of the report the reader has taken so
    // far; kept, not copied. Without it the floor is the bound.
    explicit RDB_XML_XERCES_MEMORY(const std::uint64_t* input_bytes) : m_input_bytes(input_bytes) {}
    RDB_XML_XERCES_MEMORY(const RDB_XML_XERCES_MEMORY&) = delete;
    RDB_XML_XERCES_MEMORY& operator=(const RDB_XML_XERCES_MEMORY&) = delete;

    // The largest block allowed after the bytes read so far.
    std::uint64_t allocation_allowed() const;
    // Why the first refused block was refused; empty when none was.
    const char* refusal() const { return m_refusal.c_str(); }

    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;
    // Exceptions may be caught after the reader, and this manager, are gone.
    xercesc::MemoryManager* getExceptionMemoryManager() override;

private:
    const std::uint64_t* m_input_bytes;
    std::string m_refusal;
};
