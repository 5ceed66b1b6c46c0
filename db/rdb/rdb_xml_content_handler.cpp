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


// The longest part of a dropped text a warning quotes, in bytes, and of an
// element's name, in UTF-16 units.
const std::size_t QUOTED_TEXT = 60;
const std::size_t QUOTED_NAME = 80;

// An element's name as a warning quotes it: narrowed without a message of
// its own (a char buffer prints one with static buffers off), and cut
// before a character when very long.
struct QUOTED_NAME_TEXT {
    explicit QUOTED_NAME_TEXT(const XMLCh* name)
    {
        std::size_t length = rdb_xml_wide_length(name);
        if (length > QUOTED_NAME) {
            length = QUOTED_NAME;
            if (name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF)
                --length;
        }
        m_text[rdb_xml_utf8_encode(name, length, m_text)] = 0;
    }
    char m_text[3 * QUOTED_NAME + 1];
};

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
    handle_start_element(start_kind(rdb_xml_element_name_of(localname, qname)), attrs);
}

void RDB_XML_CONTENT_HANDLER::endElement(const XMLCh* const, const XMLCh* const localname,
                                         const XMLCh* const qname)
{
    handle_end_element(end_kind(rdb_xml_element_name_of(localname, qname)));
}

RDB_XML_ELEMENT_KIND RDB_XML_CONTENT_HANDLER::start_kind(const XMLCh* name)
{
    RDB_XML_ELEMENT_KIND kind = rdb_xml_element_kind(name);
    rdb_xml_context->m_open_elements.push(kind);
    if (kind == RDB_XML_ELEMENT_UNKNOWN && rdb_xml_context->m_unknown_depth++ == 0) {
        rdb_xml_not_as_written("unknown element \"%s\": %s", QUOTED_NAME_TEXT(name).m_text,
                               unknown_element_outcome());
    }
    return kind;
}

RDB_XML_ELEMENT_KIND RDB_XML_CONTENT_HANDLER::end_kind(const XMLCh* name)
{
    RDB_XML_ELEMENT_KIND kind;
    if (!rdb_xml_context->m_open_elements.pop(kind))
        kind = rdb_xml_element_kind(name);
    if (kind == RDB_XML_ELEMENT_UNKNOWN)
        --rdb_xml_context->m_unknown_depth;
    return kind;
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

void RDB_XML_COLLECTING_HANDLER::startElement(const XMLCh* const, const XMLCh* const localname,
                                              const XMLCh* const qname, const Attributes& attrs)
{
    const XMLCh* name = rdb_xml_element_name_of(localname, qname);
    // Every handler empties its text at every start.
    if (m_characters.size() > m_read)
        say_dropped_text(name);
    handle_start_element(start_kind(name), attrs);
}

void RDB_XML_COLLECTING_HANDLER::endElement(const XMLCh* const, const XMLCh* const localname,
                                            const XMLCh* const qname)
{
    // Text dropped later was inside this element: its own, read or not as
    // the element is; an unknown element is said by itself.
    m_read = m_characters.size();
    handle_end_element(end_kind(rdb_xml_element_name_of(localname, qname)));
}

void RDB_XML_COLLECTING_HANDLER::handle_characters(const char* text, std::size_t length)
{
    m_characters.append(text, length);
}

void RDB_XML_COLLECTING_HANDLER::say_dropped_text(const XMLCh* name) const
{
    RDB_XML_QUOTE quote;
    if (!rdb_xml_quote_text(m_characters.c_str() + m_read, m_characters.size() - m_read, quote))
        return;
    rdb_xml_not_as_written("text \"%.*s%s\" before element \"%s\" is dropped: an element keeps only its text "
                           "after its last child",
                           quote.m_length, quote.m_text, quote.m_more, QUOTED_NAME_TEXT(name).m_text);
}

bool rdb_xml_quote_text(const char* text, std::size_t length, RDB_XML_QUOTE& quote)
{
    const char* begin = text;
    const char* end = text + length;
    while (begin != end && rdb_xml_is_space(*begin))
        ++begin;
    if (begin == end)
        return false;
    while (rdb_xml_is_space(end[-1]))
        --end;
    std::size_t shown = static_cast<std::size_t>(end - begin);
    quote.m_more = "";
    if (shown > QUOTED_TEXT) {
        // Cut before a character, never inside one.
        shown = QUOTED_TEXT;
        while (shown > 0 && (static_cast<unsigned char>(begin[shown]) & 0xC0) == 0x80)
            --shown;
        quote.m_more = "...";
    }
    quote.m_text = begin;
    quote.m_length = static_cast<int>(shown);
    return true;
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
