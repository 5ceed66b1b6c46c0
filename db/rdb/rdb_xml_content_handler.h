// RDB_XML_CONTENT_HANDLER: the base of every content handler. It adapts the
// SAX2 ContentHandler callbacks to three operations of its own: element
// start, element end and character data already transcoded to narrow text.
// Beside it live the small operations every handler shares.
#pragma once

#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/ContentHandler.hpp>

#include "rdb_xml_char_buffer.h"
#include "stl_string.h"

class RDB_OBJECT;

class RDB_XML_CONTENT_HANDLER : public xercesc::ContentHandler {
public:
    explicit RDB_XML_CONTENT_HANDLER(RDB_XML_CONTENT_HANDLER* parent) : m_parent(parent) {}
    ~RDB_XML_CONTENT_HANDLER() override = default;

    void characters(const XMLCh* const chars, const XMLSize_t length) override;
    void endDocument() override {}
    void endElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname) override;
    void ignorableWhitespace(const XMLCh* const, const XMLSize_t) override {}
    void processingInstruction(const XMLCh* const, const XMLCh* const) override {}
    void setDocumentLocator(const xercesc::Locator* const) override {}
    void startDocument() override {}
    void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                      const xercesc::Attributes& attrs) override;
    void startPrefixMapping(const XMLCh* const, const XMLCh* const) override {}
    void endPrefixMapping(const XMLCh* const) override {}
    void skippedEntity(const XMLCh* const) override {}

    virtual void handle_start_element(const XMLCh* localname, const xercesc::Attributes& attrs) = 0;
    virtual void handle_end_element(const XMLCh* localname) = 0;
    virtual void handle_characters(const char* text, XMLSize_t length) = 0;

protected:
    // "creator" and "enabled" of a report object.
    void rdb_xml_set_common_attributes(RDB_OBJECT* object, const xercesc::Attributes& attrs);
    // Places the object into the folder its "parent" attribute names. An
    // object no folder takes (its folder was never declared, or it would
    // hold itself) stays with the report; memory running out ends the parse.
    void rdb_xml_add_to_parent_folder(RDB_OBJECT* object, const xercesc::Attributes& attrs);
    // Both of the above, in that order, for a new object: released if the
    // parse ends before it is placed.
    void rdb_xml_attach(RDB_OBJECT* object, const xercesc::Attributes& attrs);
    // Makes the parent the reader's content handler again and destroys this
    // handler: the last thing an element handler does.
    void rdb_xml_hand_back();

    RDB_XML_CONTENT_HANDLER* m_parent;
};

// A handler that collects the character data of the element it is in: every
// element start empties m_characters, every chunk is appended whole, and an
// element end reads it as that element's text. Never trimmed.
class RDB_XML_COLLECTING_HANDLER : public RDB_XML_CONTENT_HANDLER {
public:
    using RDB_XML_CONTENT_HANDLER::RDB_XML_CONTENT_HANDLER;

    void handle_characters(const char* text, XMLSize_t length) override;

protected:
    void clear_characters() { m_characters.erase(m_characters.begin(), m_characters.end()); }

    STL_STRING m_characters;
};

// The value of attribute `name` as narrow text in `buffer`; an absent
// attribute gives the empty text. Never null.
const char* rdb_xml_get_attribute(const xercesc::Attributes& attrs, const XMLCh* name,
                                  RDB_XML_CHAR_BUFFER& buffer);

// A report object that a handler made and no container has taken yet: if
// the parse ends before one does (memory ran out on the way), it is
// released here, so that nothing leaks. Declared folders are left to the
// driver, which releases them with the rest.
class RDB_XML_UNATTACHED {
public:
    explicit RDB_XML_UNATTACHED(RDB_OBJECT* object) : m_object(object) {}
    ~RDB_XML_UNATTACHED();
    RDB_XML_UNATTACHED(const RDB_XML_UNATTACHED&) = delete;
    RDB_XML_UNATTACHED& operator=(const RDB_XML_UNATTACHED&) = delete;

private:
    RDB_OBJECT* m_object;
};

// Every message of the parser, tagged "RDB_XML".
bool rdb_xml_debug(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool rdb_xml_is_header_or_footer(const XMLCh* localname);
bool rdb_xml_set_header_or_footer(RDB_OBJECT* object, const XMLCh* localname, const STL_STRING& text);

// Element-name comparison of every handler: ignoring case, exactly as
// XMLString::compareIString does.
bool rdb_xml_names_match(const XMLCh* localname, const XMLCh* name);

// The same, with the common case inline: handlers try many names in turn,
// and most differ from the element's name in their first character.
inline bool rdb_xml_name_is(const XMLCh* localname, const XMLCh* name)
{
    if (localname != nullptr && name != nullptr) {
        XMLCh a = localname[0];
        XMLCh b = name[0];
        // Two ASCII characters equal ignoring case differ at most in 0x20.
        if (a < 0x80 && b < 0x80 && (a | 0x20) != (b | 0x20))
            return false;
    }
    return rdb_xml_names_match(localname, name);
}

// A flag attribute or text: true exactly for "true" in any case.
bool rdb_xml_is_true(const char* text);
