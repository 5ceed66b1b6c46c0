// RDB_XML_READER_LIMITS: bounds what one report file can make the reader do.
//
// - Elements nested deeper than MAX_DEPTH: the reader's own work per element
//   grows with the depth, so a file of a few megabytes nested a million
//   deep would keep it busy for minutes.
// - Entity expansion: internal entities may be used as freely as a report
//   likes, but what their references make may not outgrow the file. The
//   text entities make, counted in characters, stays within
//   EXPANSION_RATIO times the bytes of the file read so far, or
//   EXPANSION_FLOOR while that is more. Each reference counts
//   REFERENCE_WEIGHT characters besides its text: opening an entity in text
//   costs the reader as much as a couple of thousand characters, so
//   references to short or empty entities nested in others must not be
//   free. (The weight is lower than that, so that a small file may still
//   use an entity some thirty thousand times.) The cost of an entity's
//   whole expansion, itself and every reference inside it expanded in
//   turn, is known once every entity it refers to is declared:
//   - an entity whose one expansion would already be too much ends the
//     parse there, at its declaration, before any of it is made: a billion
//     laughs stops before the first laugh, in text and in attribute values
//     alike;
//   - a reference in text adds its entity's text as it is opened, and one
//     whose whole expansion would bring the total past the bound ends the
//     parse before it expands: many references to a large entity stop at
//     the first one too many;
//   - attribute values are expanded before any handler hears of a
//     reference in them, so in a document that declares general entities
//     each start tag adds its attribute values whole (text written in the file too: at most a character a byte,
//     a hundredth of the bound). Within one start tag the reader's memory
//     manager (RDB_XML_XERCES_MEMORY) keeps a value from growing far past
//     the bound first, and the reader's count of references
//     (RDB_XML_READER_GUARD) bounds references to empty entities there.
//   - default attribute values that the document's DTD declares are put
//     into every start tag that leaves the attribute out, a megabyte each
//     time for a megabyte declared once: in a document that declares any,
//     each start tag adds its attribute values whole too, defaults and all.
// - An internal entity longer than MAX_ENTITY_LENGTH characters, or a
//   parameter entity longer than MAX_PARAMETER_ENTITY_LENGTH: the reader
//   counts no parameter entity reference and tells no handler of one, so
//   only their length bounds what repeating one does; a report has no use
//   for long ones.
//
// A file beyond a limit ends the parse at once: the limit throws a
// SAXParseException naming it, which the driver reports ("Xerces
// Exception: %s") and which yields no report. No report comes near one.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <xercesc/framework/XMLDocumentHandler.hpp>
#include <xercesc/sax2/DeclHandler.hpp>

class RDB_XML_READER_LIMITS : public xercesc::XMLDocumentHandler, public xercesc::DeclHandler {
public:
    static constexpr unsigned MAX_DEPTH = 10000;
    static constexpr XMLSize_t MAX_ENTITY_LENGTH = 4 << 20;
    static constexpr XMLSize_t MAX_PARAMETER_ENTITY_LENGTH = 2048;
    static constexpr std::uint64_t EXPANSION_RATIO = 100;
    static constexpr std::uint64_t EXPANSION_FLOOR = 8 << 20;
    static constexpr std::uint64_t REFERENCE_WEIGHT = 256;

    RDB_XML_READER_LIMITS() = default;

    // `input_bytes` counts the bytes of the report the reader has taken so
    // far; kept, not copied. Without it the floor is the bound.
    void set_input_bytes(const std::uint64_t* input_bytes) { m_input_bytes = input_bytes; }
    std::uint64_t input_bytes() const { return m_input_bytes != nullptr ? *m_input_bytes : 0; }
    // How many characters entities may make after the bytes read so far.
    std::uint64_t expansion_allowed() const;

    // Element depth and attribute values (XMLDocumentHandler, as an
    // advanced document handler).
    void startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int uriId,
                      const XMLCh* const prefixName, const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList,
                      const XMLSize_t attrCount, const bool isEmpty, const bool isRoot) override;
    void endElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int uriId, const bool isRoot,
                    const XMLCh* const prefixName) override;
    void resetDocument() override;

    // References in text.
    void startEntityReference(const xercesc::XMLEntityDecl& entDecl) override;

    // Entity length and expansion, and default attribute values (DeclHandler).
    void internalEntityDecl(const XMLCh* const name, const XMLCh* const value) override;
    void attributeDecl(const XMLCh* const elementName, const XMLCh* const attributeName, const XMLCh* const type,
                       const XMLCh* const mode, const XMLCh* const value) override;

    // The rest of both interfaces is of no concern here.
    void docCharacters(const XMLCh* const, const XMLSize_t, const bool) override {}
    void docComment(const XMLCh* const) override {}
    void docPI(const XMLCh* const, const XMLCh* const) override {}
    void endDocument() override {}
    void endEntityReference(const xercesc::XMLEntityDecl&) override {}
    void ignorableWhitespace(const XMLCh* const, const XMLSize_t, const bool) override {}
    void startDocument() override {}
    void XMLDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const, const XMLCh* const) override {}
    void elementDecl(const XMLCh* const, const XMLCh* const) override {}
    void externalEntityDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const) override {}

private:
    // A general entity, declared or so far only referred to.
    struct RDB_XML_ENTITY_COST {
        std::u16string m_name;
        // Its own text and weight, plus the whole cost of every reference
        // in it whose entity's cost is known; the whole cost once complete.
        std::uint64_t m_cost = 0;
        // References in it to entities whose cost is not yet known.
        std::size_t m_pending = 0;
        bool m_declared = false;
        bool m_complete = false;
        // Entities with references to this one, waiting for its cost.
        std::vector<std::size_t> m_waiting;
    };

    std::size_t entity(const std::u16string& name);
    // Adds a start tag's attribute values to the text entities made.
    void count_attribute_values(const xercesc::XMLElementDecl& elemDecl,
                                const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList, XMLSize_t attrCount);
    // Marks `index` complete, and every entity waiting for it whose last
    // missing cost that was; one that would be too much ends the parse.
    void complete(std::size_t index);
    // Once the document's elements begin every declaration has been read:
    // references to entities never declared (an error when the reader
    // reaches them) count as nothing, so that every entity but those in a
    // loop of references has its cost.
    void finish_declarations();

    const std::uint64_t* m_input_bytes = nullptr;
    unsigned m_depth = 0;
    bool m_declarations_finished = false;
    // The DTD gives an attribute a default value.
    bool m_defaults_declared = false;
    // What entity references in text and all attribute values made so far.
    std::uint64_t m_produced = 0;
    std::vector<RDB_XML_ENTITY_COST> m_entities;
    std::unordered_map<std::u16string, std::size_t> m_entity_index;
};
