#include "rdb_xml_input_source.h"

#include "mem_manager.h"
#include "rdb_xml_globals.h"

RDB_XML_INPUT_SOURCE::RDB_XML_INPUT_SOURCE(const char* file_name, bool stream_flag)
    : m_file_name(file_name), m_stream_flag(stream_flag)
{
}

xercesc::BinInputStream* RDB_XML_INPUT_SOURCE::makeStream() const
{
    try {
        return new RDB_XML_INPUT_STREAM(m_file_name, m_stream_flag);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

RDB_XML_INPUT_STREAM::RDB_XML_INPUT_STREAM(const char* file_name, bool)
    : m_stream(file_name, std::ios::in, nullptr, 16)
{
}

void* RDB_XML_INPUT_STREAM::operator new(std::size_t size)
{
    return ::operator new(size);
}

void RDB_XML_INPUT_STREAM::operator delete(void* pointer)
{
    MEM_MANAGER::delete_wrapper(pointer, RDB_XML_TAG);
}

XMLFilePos RDB_XML_INPUT_STREAM::curPos() const
{
    std::streampos pos = m_stream.tellg();
    return pos < 0 ? 0 : static_cast<XMLFilePos>(pos);
}

XMLSize_t RDB_XML_INPUT_STREAM::readBytes(XMLByte* const to_fill, const XMLSize_t max_to_read)
{
    if (m_stream.rdstate() & (std::ios::failbit | std::ios::badbit))
        return 0;
    m_stream.read(reinterpret_cast<char*>(to_fill), static_cast<std::streamsize>(max_to_read));
    return static_cast<XMLSize_t>(m_stream.gcount());
}
