// RDB_XML_CONTENT_HANDLER: the base of every content handler. It adapts the
// SAX2 ContentHandler callbacks to three operations of its own: element
// start and end, each with the element's kind (rdb_xml_element.h) found once
// from its name, and character data already transcoded to narrow text.
// Beside it live the small operations every handler shares.
#pragma once

#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/ContentHandler.hpp>

#include <rdbxml/stl_string.h>
#include "rdb_xml_attributes.h"
#include "rdb_xml_char_buffer.h"
#include "rdb_xml_element.h"

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

    virtual void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) = 0;
    virtual void handle_end_element(RDB_XML_ELEMENT_KIND element) = 0;
    // `text` holds `length` bytes and a terminating zero.
    virtual void handle_characters(const char* text, std::size_t length) = 0;

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
    // handler: the last thing an element handler does, at the end of the
    // element it was made for (never in its start).
    void rdb_xml_hand_back();

    // The kind of the element that starts or ends: one whose name the
    // format does not have is said at its start, the outermost of them
    // only (what is inside it is read, or not, as anywhere else). An end is
    // of the kind its start was (RDB_XML_OPEN_ELEMENTS).
    RDB_XML_ELEMENT_KIND start_kind(const XMLCh* name);
    static RDB_XML_ELEMENT_KIND end_kind(const XMLCh* name);
    // What the handler does with an element of a name the format does not
    // have, for the warning.
    virtual const char* unknown_element_outcome() const { return "passed over"; }

    RDB_XML_CONTENT_HANDLER* m_parent;
};

// Xerces-C gives an empty local name for every element when namespace
// processing is off; the qualified name is the element's name then.
inline const XMLCh* rdb_xml_element_name_of(const XMLCh* localname, const XMLCh* qname)
{
    return (localname == nullptr || localname[0] == 0) ? qname : localname;
}

// A handler that collects the character data of the element it is in: every
// element start empties m_characters, every chunk is appended whole, and an
// element end reads it as that element's text. Never trimmed. So text
// before a child element is dropped at the child's start, which says so
// when it is more than white space.
class RDB_XML_COLLECTING_HANDLER : public RDB_XML_CONTENT_HANDLER {
public:
    using RDB_XML_CONTENT_HANDLER::RDB_XML_CONTENT_HANDLER;

    void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                      const xercesc::Attributes& attrs) override;
    void endElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname) override;
    void handle_characters(const char* text, std::size_t length) override;

protected:
    void clear_characters()
    {
        m_characters.clear();
        m_read = 0;
    }

    STL_STRING m_characters;

private:
    // Says the text of m_characters past m_read, if any is not white space,
    // as dropped at the start of element `name`.
    void say_dropped_text(const XMLCh* name) const;

    // How much of m_characters was there at the last element end: what
    // comes after it, up to a child's start, is text directly in the
    // element around them, which no element keeps.
    std::size_t m_read = 0;
};

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

inline bool rdb_xml_is_header_or_footer(RDB_XML_ELEMENT_KIND element)
{
    return element == RDB_XML_ELEMENT_HEADER || element == RDB_XML_ELEMENT_FOOTER;
}
// Sets the object's header or footer to `text` when the element is one of
// them; false (nothing set) for any other element and for a null object.
bool rdb_xml_set_header_or_footer_of(RDB_OBJECT* object, RDB_XML_ELEMENT_KIND element, const STL_STRING& text);
inline bool rdb_xml_set_header_or_footer(RDB_OBJECT* object, RDB_XML_ELEMENT_KIND element, const STL_STRING& text)
{
    // Most ends are of neither.
    return rdb_xml_is_header_or_footer(element) && rdb_xml_set_header_or_footer_of(object, element, text);
}

// XML's white space: what an indented report puts between elements and
// around a value.
inline bool rdb_xml_is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Text as a warning quotes it: without the XML white space around it, and
// cut before a character after a line's worth ("..." then follows).
struct RDB_XML_QUOTE {
    const char* m_text;
    int m_length;
    const char* m_more;  // "..." or ""
};
// False, with nothing set, for text of white space only.
bool rdb_xml_quote_text(const char* text, std::size_t length, RDB_XML_QUOTE& quote);

// A flag attribute or text: true exactly for "true" in any case.
bool rdb_xml_is_true(const char* text);
