#include "rdb_xml_xerces_memory.h"

#include <algorithm>
#include <limits>
#include <new>

#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "rdb_xml_reader_limits.h"

// An attribute value as long as entities may make grows the reader's buffer
// to four bytes a character before the start tag can count it.
static_assert(RDB_XML_XERCES_MEMORY::ALLOCATION_RATIO >= 4 * RDB_XML_READER_LIMITS::EXPANSION_RATIO &&
                  RDB_XML_XERCES_MEMORY::ALLOCATION_FLOOR >= 4 * RDB_XML_READER_LIMITS::EXPANSION_FLOOR,
              "the memory bound refuses text the expansion bound allows");

std::uint64_t RDB_XML_XERCES_MEMORY::allocation_allowed() const
{
    std::uint64_t read = m_input_bytes != nullptr ? *m_input_bytes : 0;
    std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    return std::max(ALLOCATION_FLOOR, read > most / ALLOCATION_RATIO ? most : read * ALLOCATION_RATIO);
}

void* RDB_XML_XERCES_MEMORY::allocate(XMLSize_t size)
{
    std::uint64_t allowed = allocation_allowed();
    if (size > allowed) {
        // The reader expects nothing but OutOfMemoryException from here: with
        // no memory left for the reason, the refusal reads as out of memory.
        try {
            if (m_refusal.empty())
                m_refusal = "Entity expansion would need " + std::to_string(size) + " bytes at once, more than the " +
                            std::to_string(allowed) + " allowed from " +
                            std::to_string(m_input_bytes != nullptr ? *m_input_bytes : 0) + " bytes read";
        } catch (const std::bad_alloc&) {
            m_refusal.clear();
        }
        throw xercesc::OutOfMemoryException();
    }
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        throw xercesc::OutOfMemoryException();
    }
}

void RDB_XML_XERCES_MEMORY::deallocate(void* p)
{
    ::operator delete(p);
}

xercesc::MemoryManager* RDB_XML_XERCES_MEMORY::getExceptionMemoryManager()
{
    return xercesc::XMLPlatformUtils::fgMemoryManager;
}
