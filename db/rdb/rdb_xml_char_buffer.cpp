#include "rdb_xml_char_buffer.h"

#include <rdbxml/mem_manager.h>
#include "rdb_xml_content_handler.h"
#include "rdb_xml_context.h"
#include "rdb_xml_globals.h"
#include "rdb_xml_transcode.h"

void RDB_XML_CHAR_BUFFER::release()
{
    if (m_heap != nullptr) {
        MEM_MANAGER::delete_wrapper(m_heap, RDB_XML_TAG);
        m_heap = nullptr;
    }
}

RDB_XML_CHAR_BUFFER& RDB_XML_CHAR_BUFFER::assign_text(const XMLCh* value)
{
    m_inline[0] = 0;
    release();
    if (rdb_xml_use_static_buffers && (value == nullptr || rdb_xml_utf8_encode_within(value, m_inline, INLINE_SIZE)))
        return *this;
    m_inline[0] = 0;
    rdb_xml_debug("Using dynamic buffer: XMLCh* -> char*");
    if (value == nullptr)
        return *this;
    std::size_t length = rdb_xml_wide_length(value);
    std::size_t bytes = rdb_xml_utf8_length(value, length);
    void* p = MEM_MANAGER::new_wrapper(bytes + 1, MEM_SITE_TRACKER(char, RDB_XML_TAG), RDB_XML_SOURCE);
    if (p == nullptr)
        rdb_xml_out_of_memory("an attribute value");
    m_heap = static_cast<char*>(p);
    rdb_xml_utf8_encode(value, length, m_heap);
    return *this;
}
