// RDB_XML_CHAR_BUFFER: narrow text of one wide attribute value, made to live
// on the stack of the operation that needs it. With the static-buffers
// option, text of up to 512 bytes stays in the inline storage; longer text
// (or any text with the option off) gets a heap copy.
#pragma once

#include <xercesc/util/XercesDefs.hpp>

#include "rdb_xml_globals.h"

class RDB_XML_CHAR_BUFFER {
public:
    enum { INLINE_SIZE = 512 };

    RDB_XML_CHAR_BUFFER() { m_inline[0] = 0; }
    ~RDB_XML_CHAR_BUFFER()
    {
        if (m_heap != nullptr)
            release();
    }
    RDB_XML_CHAR_BUFFER(const RDB_XML_CHAR_BUFFER&) = delete;
    RDB_XML_CHAR_BUFFER& operator=(const RDB_XML_CHAR_BUFFER&) = delete;

    RDB_XML_CHAR_BUFFER& assign(const XMLCh* value)
    {
        // Most attributes looked up are absent: with static buffers that is
        // the empty text, without a call.
        if (value == nullptr && m_heap == nullptr && rdb_xml_use_static_buffers) {
            m_inline[0] = 0;
            return *this;
        }
        return assign_text(value);
    }
    const char* text() const { return m_heap != nullptr ? m_heap : m_inline; }

private:
    RDB_XML_CHAR_BUFFER& assign_text(const XMLCh* value);
    void release();

    char m_inline[INLINE_SIZE + 1];
    char* m_heap = nullptr;
};
