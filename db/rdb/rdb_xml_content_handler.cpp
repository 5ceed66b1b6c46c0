#include "rdb_xml_content_handler.h"

#include <cstdarg>
#include <vector>

#include <rdbxml/mem_manager.h>
#include <rdbxml/msg.h>
#include <rdbxml/rdb_report.h>
#include "gen_util.h"
#include "rdb_xml_context.h"
#include "rdb_xml_folder_trees.h"
#include "rdb_xml_globals.h"
#include "rdb_xml_transcode.h"

using xercesc::Attributes;

namespace {

// Xerces-C gives an empty local name for every element when namespace
// processing is off; the qualified name is the element's name then.
inline const XMLCh* element_name(const XMLCh* localname, const XMLCh* qname)
{
    return (localname == nullptr || localname[0] == 0) ? qname : localname;
}

}  // namespace

void RDB_XML_CONTENT_HANDLER::characters(const XMLCh* const chars, const XMLSize_t length)
{
    // At most three bytes of UTF-8 per UTF-16 unit (a surrogate pair takes
    // four for two), so one pass writes the text without counting first.
    // A chunk's text is only valid during its call: one buffer serves the parse.
    std::vector<char>& buffer = rdb_xml_context->m_chunk;
    if (buffer.size() < 3 * length + 1)
        buffer.resize(3 * length + 1);
    std::size_t bytes = rdb_xml_utf8_encode(chars, length, buffer.data());
    handle_characters(buffer.data(), bytes);
}

void RDB_XML_CONTENT_HANDLER::startElement(const XMLCh* const, const XMLCh* const localname,
                                           const XMLCh* const qname, const Attributes& attrs)
{
    handle_start_element(rdb_xml_element_kind(element_name(localname, qname)), attrs);
}

void RDB_XML_CONTENT_HANDLER::endElement(const XMLCh* const, const XMLCh* const localname,
                                         const XMLCh* const qname)
{
    handle_end_element(rdb_xml_element_kind(element_name(localname, qname)));
}

void RDB_XML_CONTENT_HANDLER::rdb_xml_set_common_attributes(RDB_OBJECT* object, const Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER creator;
    RDB_XML_CHAR_BUFFER enabled;
    rdb_xml_get_attribute(attrs, u"creator", creator);
    rdb_xml_get_attribute(attrs, u"enabled", enabled);
    if (object == nullptr)
        return;
    object->set_creator_module(STL_STRING(creator.text()));
    object->set_enable(rdb_xml_is_true(enabled.text()));
}

void RDB_XML_CONTENT_HANDLER::rdb_xml_attach(RDB_OBJECT* object, const Attributes& attrs)
{
    RDB_XML_UNATTACHED guard(object);
    rdb_xml_set_common_attributes(object, attrs);
    rdb_xml_add_to_parent_folder(object, attrs);
}

void RDB_XML_CONTENT_HANDLER::rdb_xml_add_to_parent_folder(RDB_OBJECT* object, const Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER parent;
    const char* parent_name = rdb_xml_get_attribute(attrs, u"parent", parent);
    RDB_FOLDER_OBJECT*& entry = rdb_xml_folder_index->find_or_insert(parent_name);
    if (rdb_xml_folder_index->is_overflow(entry))
        rdb_xml_out_of_memory("the folder index");
    if (object == nullptr)
        return;
    if (object == rdb_xml_report->get_main_folder()) {
        rdb_xml_passed_over("%s \"%s\" is the report's main folder: the main folder is not placed again",
                            object->get_kind(), object->get_name().c_str());
        return;
    }
    RDB_FOLDER_OBJECT* folder = entry;
    if (folder != nullptr && rdb_xml_place_in_folder(folder, object))
        return;
    if (object->get_owner() != nullptr) {
        // Only a folder is referenced again. One that has a place (or that
        // the report holds as an earlier main folder) keeps it.
        rdb_xml_passed_over("%s \"%s\" is already placed: it stays where it is, not placed again into \"%s\"",
                            object->get_kind(), object->get_name().c_str(), parent_name);
        return;
    }
    if (folder == nullptr) {
        rdb_xml_passed_over("%s \"%s\" names the folder \"%s\", which was never declared: it is not placed",
                            object->get_kind(), object->get_name().c_str(), parent_name);
        // A declared folder stays unowned, free for a later reference to
        // place it; the parse hands it to the report at its end if none does.
        if (object->dynamic_cast_to_RDB_FOLDER_OBJECT() != nullptr)
            return;
    } else if (rdb_xml_would_make_cycle(folder, object)) {
        rdb_xml_semantic_error("Folder \"%s\" cannot be placed into \"%s\", which it holds",
                               object->get_name().c_str(), parent_name);
    } else {
        rdb_xml_out_of_memory("a folder's list of objects");
    }
    // An object that found no folder to hold it stays with the report, so
    // that it is released with it.
    if (!rdb_xml_report->adopt_unplaced(object))
        rdb_xml_out_of_memory("a folder's list of objects");
}

void RDB_XML_CONTENT_HANDLER::rdb_xml_hand_back()
{
    rdb_xml_reader->setContentHandler(m_parent);
    if (rdb_xml_active_handler == this)
        rdb_xml_active_handler = nullptr;
    mem_delete(this, RDB_XML_TAG);
}

void RDB_XML_COLLECTING_HANDLER::handle_characters(const char* text, std::size_t length)
{
    m_characters.append(text, length);
}

RDB_XML_UNATTACHED::~RDB_XML_UNATTACHED()
{
    // A declared folder is released with the others when the parse is
    // given up; any other object is its maker's alone.
    if (m_object != nullptr && m_object->get_owner() == nullptr &&
        m_object->dynamic_cast_to_RDB_FOLDER_OBJECT() == nullptr)
        delete m_object;
}

bool rdb_xml_debug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    bool result = msg_local_vdebug(RDB_XML_TAG, format, args);
    va_end(args);
    return result;
}

bool rdb_xml_is_true(const char* text) { return gen_stricmp(text, "true") == 0; }

bool rdb_xml_set_header_or_footer_of(RDB_OBJECT* object, RDB_XML_ELEMENT_KIND element, const STL_STRING& text)
{
    if (object == nullptr)
        return false;
    switch (element) {
    case RDB_XML_ELEMENT_HEADER:
        object->set_header(text);
        return true;
    case RDB_XML_ELEMENT_FOOTER:
        object->set_footer(text);
        return true;
    default:
        return false;
    }
}
