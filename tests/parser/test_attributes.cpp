// Attribute values found in one pass are the values the reader's own lookup
// by qualified name gives, on the attribute lists of a real parse.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_attributes.h"

namespace {

const XMLCh* const NAMES[] = {u"name", u"foreground", u"x:name", u"Name", u"nam", u"type"};
const std::size_t COUNT = sizeof(NAMES) / sizeof(NAMES[0]);

// Compares the two lookups at every element start.
class COMPARING_HANDLER : public xercesc::DefaultHandler {
public:
    void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const qname,
                      const xercesc::Attributes& attrs) override
    {
        ++m_elements;
        const XMLCh* values[COUNT];
        rdb_xml_find_attributes(attrs, NAMES, values);
        for (std::size_t i = 0; i < COUNT; ++i) {
            const XMLCh* expected = attrs.getValue(NAMES[i]);
            if (expected != nullptr)
                ++m_found;
            EXPECT_TRUE(expected == nullptr ? values[i] == nullptr
                                            : values[i] != nullptr && xercesc::XMLString::equals(values[i], expected))
                << "element " << std::u16string(qname).size() << " chars, name #" << i;
        }
    }

    int m_elements = 0;
    int m_found = 0;
};

}  // namespace

TEST(Attributes, OnePassFindsWhatTheLookupByNameFinds)
{
    xercesc::XMLPlatformUtils::Initialize();
    // Prefixed and unprefixed names, names differing in case or cut short,
    // empty values, many attributes and none; with namespaces on and off.
    const std::string xml = R"(<r xmlns:x="urn:x" xmlns:y="urn:y">
  <a/><b name="n"/><c x:name="prefixed" name="plain"/><d name="plain" x:name="prefixed"/>
  <e y:name="other prefix"/><f Name="upper" nam="short" names="long"/><g name="" foreground=""/>
  <h type="t" a1="1" a2="2" a3="3" a4="4" foreground="red" a5="5" name="last"/>
  <i foreground="f" background="b"/></r>)";
    for (bool namespaces : {true, false}) {
        SCOPED_TRACE(namespaces ? "namespaces" : "no namespaces");
        std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
        reader->setFeature(xercesc::XMLUni::fgSAX2CoreNameSpaces, namespaces);
        COMPARING_HANDLER handler;
        reader->setContentHandler(&handler);
        reader->setErrorHandler(&handler);
        xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(xml.data()), xml.size(), "attributes");
        reader->parse(input);
        EXPECT_EQ(handler.m_elements, 10);
        EXPECT_EQ(handler.m_found, 13);
    }
}
