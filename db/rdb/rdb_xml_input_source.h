// The parser never opens the report itself: it reads it through this input
// source, whose stream sits on the compressed file stream, so a compressed
// report is read like a plain one, from a file or from memory.
//
// The source holds the compressed stream for the whole parse, so that the
// driver can check the rest of the input once the document has ended: every
// byte of a compressed file is verified to its end.
//
// Compressed input is decompressed ahead on a thread of its own while the
// parser works (plain input gains nothing from it and is read directly);
// when no thread can be had, the parser's thread decompresses as it reads.
// Only the stream is touched on that thread: handlers, messages and the
// progress callback stay on the parser's.
#pragma once

#include <cstdint>
#include <memory>

#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/BinInputStream.hpp>

#include <rdbxml/rdb_xml.h>
#include "brim_prefetch.h"
#include "brim_zifstream.h"
#include "rdb_xml_nul_scan.h"

class RDB_XML_INPUT_STREAM;

class RDB_XML_INPUT_SOURCE : public xercesc::InputSource {
public:
    // Keeps a reference to `input`, not a copy: it must outlive the source.
    // The source must outlive the reader that reads from it.
    RDB_XML_INPUT_SOURCE(const RDB_XML_INPUT& input, bool stream_flag);
    // Releases a stream the reader made and then lost (the reader does not
    // always release what it made when its own memory runs out).
    ~RDB_XML_INPUT_SOURCE() override;

    xercesc::BinInputStream* makeStream() const override;

    // Reads what the parser left of the input to its end and verifies it.
    // Returns false when the input is damaged; the stream's reason is then
    // in damage(). Once the parse has `failed`, the rest is only searched
    // for damage that explains the failure, and of an input without a known
    // size (a device, a pipe, which may never end) only AFTER_FAILURE bytes
    // are read: false then, undamaged, when it did not end within them.
    bool finish(bool failed);
    static constexpr std::uint64_t AFTER_FAILURE = std::uint64_t(16) << 20;
    // Why the input failed: the stream's damage, else its read error.
    // Both end the reading ahead first.
    const char* damage() const;
    // Whether the data itself was found damaged, cut short or followed by
    // anything else (not a file that could not be opened or read).
    bool damaged() const;
    // The system's error number when the reader asked for the input and it
    // could not be opened (a missing file, a directory, no permission, a
    // name holding a NUL); 0 otherwise.
    int unreadable() const { return m_unreadable; }
    // The first U+0000 character of the input, where the parser's input
    // ended; found() is false when there is none.
    const RDB_XML_NUL_SCAN& nul() const { return m_nul; }

private:
    const RDB_XML_INPUT& m_input;
    friend class RDB_XML_INPUT_STREAM;

    bool m_stream_flag;
    mutable std::unique_ptr<BRIM_ZIFSTREAM> m_stream;
    // Reads m_stream ahead, for compressed input; ended before the stream
    // is used directly again, and destroyed before it.
    mutable std::unique_ptr<BRIM_PREFETCH> m_prefetch;
    // The stream the reader holds, until it releases it.
    mutable RDB_XML_INPUT_STREAM* m_made = nullptr;
    mutable int m_unreadable = 0;
    // What the reader was handed, searched for a NUL character: the input
    // ends for the reader where one is.
    mutable RDB_XML_NUL_SCAN m_nul;
};

// What the parser reads from: the source's compressed stream, or what reads
// it ahead. It counts the document bytes it hands over, reports progress,
// and ends the parse at once when the stream finds damage (after every byte
// before it) or the host cancels. It hands over nothing from a NUL
// character on: the parser's input ends there, as the parser would take it
// to, and the driver refuses the input.
class RDB_XML_INPUT_STREAM : public xercesc::BinInputStream {
public:
    RDB_XML_INPUT_STREAM(const RDB_XML_INPUT_SOURCE& source, BRIM_ZIFSTREAM& stream, BRIM_PREFETCH* prefetch)
        : m_source(source), m_stream(stream), m_prefetch(prefetch)
    {
    }
    ~RDB_XML_INPUT_STREAM() override;

    XMLFilePos curPos() const override;
    XMLSize_t readBytes(XMLByte* const to_fill, const XMLSize_t max_to_read) override;
    const XMLCh* getContentType() const override { return nullptr; }

    // The stream is made by the parser with plain `new` and destroyed by it
    // with `delete`; both go through the memory manager's allocator family.
    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

private:
    XMLSize_t read_directly(XMLByte* const to_fill, const XMLSize_t max_to_read);
    XMLSize_t read_ahead(XMLByte* const to_fill, const XMLSize_t max_to_read);

    const RDB_XML_INPUT_SOURCE& m_source;
    BRIM_ZIFSTREAM& m_stream;
    BRIM_PREFETCH* m_prefetch;  // null: the stream is read directly
};
