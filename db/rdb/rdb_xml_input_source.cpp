#include "rdb_xml_input_source.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <rdbxml/mem_manager.h>
#include <rdbxml/mem_pool.h>
#include "rdb_xml_context.h"
#include "rdb_xml_globals.h"

RDB_XML_INPUT_SOURCE::RDB_XML_INPUT_SOURCE(const RDB_XML_INPUT& input, bool stream_flag)
    : m_input(input), m_stream_flag(stream_flag)
{
}

RDB_XML_INPUT_SOURCE::~RDB_XML_INPUT_SOURCE() { delete m_made; }

xercesc::BinInputStream* RDB_XML_INPUT_SOURCE::makeStream() const
{
    // The flag changes nothing in how the input is read.
    if (m_stream == nullptr) {
        if (m_input.m_in_memory)
            m_stream.reset(new BRIM_ZIFSTREAM(m_input.m_data, m_input.m_size, m_input.m_name.c_str()));
        else if (m_input.m_descriptor >= 0)
            m_stream.reset(new BRIM_ZIFSTREAM(m_input.m_descriptor, m_input.m_name.c_str()));
        else {
            // The system would take a name with a NUL in it for the name
            // before the NUL: another file.
            bool whole = m_input.m_name.find('\0') == std::string::npos;
            m_stream.reset(new BRIM_ZIFSTREAM(whole ? m_input.m_name.c_str() : nullptr, std::ios::in, nullptr, 16));
            if (m_stream->fail())
                m_unreadable = whole ? m_stream->error_number() : EINVAL;
        }
        // Null when no thread or no memory for it can be had: then the
        // stream is read directly.
        if (!m_stream->fail() && std::strcmp(m_stream->format(), "plain") != 0)
            m_prefetch = BRIM_PREFETCH::start(*m_stream, 256 * 1024, 4, 64 * 1024);
    }
    m_made = new RDB_XML_INPUT_STREAM(*this, *m_stream, m_prefetch.get());
    return m_made;
}

bool RDB_XML_INPUT_SOURCE::finish(bool failed)
{
    if (m_stream == nullptr)
        return true;
    // The stream goes on from where the thread left it.
    if (m_prefetch != nullptr)
        m_prefetch->stop();
    // A file's size bounds the search already, and the damage that explains
    // a broken document may be far behind it (a check value at the end).
    bool endless = failed && m_stream->input_size() == 0;
    return m_stream->finish(endless ? AFTER_FAILURE : UINT64_MAX);
}

const char* RDB_XML_INPUT_SOURCE::damage() const
{
    if (m_stream == nullptr)
        return "";
    if (m_prefetch != nullptr)
        m_prefetch->stop();
    // Not damage in the data but a failing read of the file itself.
    return m_stream->damage()[0] != 0 ? m_stream->damage() : m_stream->error();
}

bool RDB_XML_INPUT_SOURCE::damaged() const
{
    if (m_prefetch != nullptr)
        m_prefetch->stop();
    return m_stream != nullptr && m_stream->damage()[0] != 0;
}

void* RDB_XML_INPUT_STREAM::operator new(std::size_t size) { return ::operator new(size); }

void RDB_XML_INPUT_STREAM::operator delete(void* pointer) { MEM_MANAGER::delete_wrapper(pointer, RDB_XML_TAG); }

RDB_XML_INPUT_STREAM::~RDB_XML_INPUT_STREAM()
{
    if (m_source.m_made == this)
        m_source.m_made = nullptr;
}

XMLFilePos RDB_XML_INPUT_STREAM::curPos() const
{
    if (m_prefetch != nullptr)
        return static_cast<XMLFilePos>(m_prefetch->position());
    std::streampos pos = m_stream.tellg();
    return pos < 0 ? 0 : static_cast<XMLFilePos>(pos);
}

XMLSize_t RDB_XML_INPUT_STREAM::readBytes(XMLByte* const to_fill, const XMLSize_t max_to_read)
{
    // Past a NUL nothing more is taken from the stream: the driver's check
    // of the rest goes on from here.
    if (m_source.m_nul.found())
        return 0;
    XMLSize_t count = m_prefetch != nullptr ? read_ahead(to_fill, max_to_read) : read_directly(to_fill, max_to_read);
    count = m_source.m_nul.scan(to_fill, count);
    if (RDB_XML_PARSE_CONTEXT* context = rdb_xml_context) {
        context->m_input_bytes += count;
        std::uint64_t position = m_prefetch != nullptr ? m_prefetch->input_position() : m_stream.input_position();
        std::uint64_t size = m_prefetch != nullptr ? m_prefetch->input_size() : m_stream.input_size();
        if (context->m_progress) {
            // The host's code: what it allocates is not the report's.
            MEM_POOL_SCOPE outside(nullptr);
            if (!context->m_progress(position, size))
                throw RDB_XML_STOP{RDB_XML_STOP::CANCELLED, "cancelled"};
        }
    }
    return count;
}

XMLSize_t RDB_XML_INPUT_STREAM::read_directly(XMLByte* const to_fill, const XMLSize_t max_to_read)
{
    if (m_stream.rdstate() & (std::ios::failbit | std::ios::badbit))
        return 0;
    m_stream.read(reinterpret_cast<char*>(to_fill), static_cast<std::streamsize>(max_to_read));
    XMLSize_t count = static_cast<XMLSize_t>(m_stream.gcount());
    // Damaged compressed data ends the parse with the stream's own reason,
    // not with whatever the parser would make of a document cut short.
    if (m_stream.bad() && m_stream.damage()[0] != 0)
        throw RDB_XML_STOP{RDB_XML_STOP::STREAM_DAMAGED, m_stream.damage()};
    return count;
}

XMLSize_t RDB_XML_INPUT_STREAM::read_ahead(XMLByte* const to_fill, const XMLSize_t max_to_read)
{
    XMLSize_t count = m_prefetch->read(reinterpret_cast<char*>(to_fill), max_to_read);
    // Damage ends the parse once every byte before it was read, with the
    // stream's own reason; the thread has left the stream by then.
    if (count == 0 && m_prefetch->failed() && m_stream.damage()[0] != 0)
        throw RDB_XML_STOP{RDB_XML_STOP::STREAM_DAMAGED, m_stream.damage()};
    return count;
}
