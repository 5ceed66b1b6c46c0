// Reports in other encodings than UTF-8: the model holds their text as the
// right UTF-8, whatever the file's encoding.
#include <iconv.h>

#include "parse_fixture.h"

namespace {

// Text with two-, three- and four-byte UTF-8 sequences and XML specials.
const char* const WORDS = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9D\x84\x9E &amp; &lt;ok&gt;";
const char* const WORDS_READ = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9D\x84\x9E & <ok>";

std::string report_xml(const std::string& declaration, const std::string& words)
{
    return declaration + "\n<report><folders><root name=\"main\"/></folders>\n<text name=\"" + words +
           "\" parent=\"main\" enabled=\"true\"><header>" + words + "</header><ascii_text>" + words +
           "</ascii_text></text></report>\n";
}

// The bytes of UTF-8 `text` in UTF-16 with a byte order mark.
std::string utf16_file(const std::string& text, bool big_endian)
{
    std::string in = "\xEF\xBB\xBF" + text;
    std::string out(2 * in.size(), '\0');
    char* from = &in[0];
    char* to = &out[0];
    std::size_t left = in.size();
    std::size_t room = out.size();
    iconv_t convert = iconv_open(big_endian ? "UTF-16BE" : "UTF-16LE", "UTF-8");
    EXPECT_EQ(iconv(convert, &from, &left, &to, &room), 0u);
    iconv_close(convert);
    out.resize(out.size() - room);
    return out;
}

class EncodingTest : public ParseTest {
protected:
    // Parses `bytes` as a file and checks that the report holds `expected`
    // as its text's name, header and body.
    void expect_text(const std::string& bytes, const std::string& expected, const std::string& name = "report.xml")
    {
        REPORT_PTR report = parse_file(write_file(name, bytes));
        ASSERT_NE(report, nullptr) << name;
        ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
        const RDB_TEXT_OBJECT* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
        EXPECT_EQ(std::string(text->get_name().c_str()), expected);
        ASSERT_NE(text->get_header(), nullptr);
        EXPECT_EQ(std::string(text->get_header()->c_str()), expected);
        ASSERT_NE(text->get_text(), nullptr);
        EXPECT_EQ(std::string(text->get_text()->c_str()), expected);
    }
};

TEST_F(EncodingTest, Utf16AndLatin1ReadAsUtf8)
{
    expect_text(report_xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", WORDS), WORDS_READ);
    // UTF-16 either way round, with or without a declaration (the byte order
    // mark tells), plain or compressed.
    for (bool big_endian : {false, true}) {
        for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", ""}) {
            std::string bytes = utf16_file(report_xml(declaration, WORDS), big_endian);
            expect_text(bytes, WORDS_READ, "utf16.xml");
            expect_text(gzip_bytes(bytes), WORDS_READ, "utf16.xml.gz");
        }
    }
    // caf<e-acute> na<i-diaeresis>ve <copyright> <micro> <y-diaeresis>
    for (const char* name : {"ISO-8859-1", "iso-8859-1", "latin1"})
        expect_text(report_xml(std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?>",
                               "caf\xE9 na\xEFve \xA9 \xB5 \xFF"),
                    "caf\xC3\xA9 na\xC3\xAFve \xC2\xA9 \xC2\xB5 \xC3\xBF");
}

TEST_F(EncodingTest, BytesNotInTheDeclaredEncodingAreAnError)
{
    // Latin-1 bytes in a file that says UTF-8, and an encoding nobody knows:
    // the reader stops, and nothing ill-formed reaches the report.
    for (const char* encoding : {"UTF-8", "no-such-encoding"}) {
        std::string declaration = std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>";
        EXPECT_EQ(parse_text(report_xml(declaration, "caf\xE9")), nullptr) << encoding;
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << encoding;
    }
}

}  // namespace
