// RDB_XML_CHAR_BUFFER: narrow text of one wide attribute value, made to live
// on the stack of the operation that needs it. With the static-buffers
// option, text of up to 512 bytes stays in the inline storage; longer text
// (or any text with the option off) gets a heap copy.
#pragma once

#include <xercesc/util/XercesDefs.hpp>

class RDB_XML_CHAR_BUFFER {
public:
    enum { INLINE_SIZE = 512 };

    RDB_XML_CHAR_BUFFER() { m_inline[0] = 0; }
    ~RDB_XML_CHAR_BUFFER() { release(); }
    RDB_XML_CHAR_BUFFER(const RDB_XML_CHAR_BUFFER&) = delete;
    RDB_XML_CHAR_BUFFER& operator=(const RDB_XML_CHAR_BUFFER&) = delete;

    RDB_XML_CHAR_BUFFER& assign(const XMLCh* value);
    const char* text() const { return m_heap != nullptr ? m_heap : m_inline; }
    bool on_heap() const { return m_heap != nullptr; }

private:
    void release();

    char m_inline[INLINE_SIZE + 1];
    char* m_heap = nullptr;
};
