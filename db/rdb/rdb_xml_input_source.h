// The parser never opens the report file itself: it reads it through this
// input source, whose stream sits on the compressed file stream, so a
// compressed report is read like a plain one.
#pragma once

#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/BinInputStream.hpp>

#include "brim_zifstream.h"

class RDB_XML_INPUT_SOURCE : public xercesc::InputSource {
public:
    // Keeps the pointer, not a copy: it must outlive the source.
    RDB_XML_INPUT_SOURCE(const char* file_name, bool stream_flag);
    ~RDB_XML_INPUT_SOURCE() override = default;

    xercesc::BinInputStream* makeStream() const override;

private:
    const char* m_file_name;
    bool m_stream_flag;
};

class RDB_XML_INPUT_STREAM : public xercesc::BinInputStream {
public:
    // The flag changes nothing in how the file is read.
    RDB_XML_INPUT_STREAM(const char* file_name, bool stream_flag);
    ~RDB_XML_INPUT_STREAM() override = default;

    XMLFilePos curPos() const override;
    XMLSize_t readBytes(XMLByte* const to_fill, const XMLSize_t max_to_read) override;
    const XMLCh* getContentType() const override { return nullptr; }

    // The stream is made by the parser with plain `new` and destroyed by it
    // with `delete`; both go through the memory manager's allocator family.
    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

private:
    mutable BRIM_ZIFSTREAM m_stream;
};
