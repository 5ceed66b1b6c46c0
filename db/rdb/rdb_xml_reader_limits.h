// RDB_XML_READER_LIMITS: bounds what one report file can make the reader do.
//
// - Elements nested deeper than MAX_DEPTH: the reader's own work per element
//   grows with the depth, so a file of a few megabytes nested a million
//   deep would keep it busy for minutes.
// - An internal entity longer than MAX_ENTITY_LENGTH characters: with the
//   expansion limit of the security manager (RDB_XML_READER_GUARD) this
//   bounds the text that entity references can produce, so a small file
//   referring to a large entity thousands of times cannot fill the memory.
//
// A file beyond a limit ends the parse at once: the limit throws a
// SAXParseException naming it, which the driver reports ("Xerces
// Exception: %s") and which yields no report. No report comes near either.
#pragma once

#include <xercesc/framework/XMLDocumentHandler.hpp>
#include <xercesc/sax2/DeclHandler.hpp>

class RDB_XML_READER_LIMITS : public xercesc::XMLDocumentHandler, public xercesc::DeclHandler {
public:
    static constexpr unsigned MAX_DEPTH = 10000;
    static constexpr XMLSize_t MAX_ENTITY_LENGTH = 2048;

    RDB_XML_READER_LIMITS() = default;

    // Element depth (XMLDocumentHandler, as an advanced document handler).
    void startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int uriId,
                      const XMLCh* const prefixName, const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList,
                      const XMLSize_t attrCount, const bool isEmpty, const bool isRoot) override;
    void endElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int uriId, const bool isRoot,
                    const XMLCh* const prefixName) override;
    void resetDocument() override { m_depth = 0; }

    // Entity length (DeclHandler).
    void internalEntityDecl(const XMLCh* const name, const XMLCh* const value) override;

    // The rest of both interfaces is of no concern here.
    void docCharacters(const XMLCh* const, const XMLSize_t, const bool) override {}
    void docComment(const XMLCh* const) override {}
    void docPI(const XMLCh* const, const XMLCh* const) override {}
    void endDocument() override {}
    void endEntityReference(const xercesc::XMLEntityDecl&) override {}
    void ignorableWhitespace(const XMLCh* const, const XMLSize_t, const bool) override {}
    void startDocument() override {}
    void startEntityReference(const xercesc::XMLEntityDecl&) override {}
    void XMLDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const, const XMLCh* const) override {}
    void elementDecl(const XMLCh* const, const XMLCh* const) override {}
    void attributeDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const, const XMLCh* const,
                       const XMLCh* const) override {}
    void externalEntityDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const) override {}

private:
    unsigned m_depth = 0;
};
