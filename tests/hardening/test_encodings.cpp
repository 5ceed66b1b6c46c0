// Reports in other encodings than UTF-8: the model holds their text as the
// right UTF-8, whatever the file's encoding.
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

// UTF-16 code units of UTF-8 text (well-formed input only).
std::u16string utf16_of(const std::string& utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

// The bytes of `text` in UTF-16 with a byte order mark.
std::string utf16_file(const std::string& utf8, bool big_endian)
{
    std::u16string units = u"\uFEFF" + utf16_of(utf8);
    std::string bytes;
    for (char16_t unit : units) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? high : low;
        bytes += big_endian ? low : high;
    }
    return bytes;
}

class EncodingTest : public ParseTest {
protected:
    // Checks that the report holds `expected` as its text's name, header
    // and body.
    void expect_text(const RDB_REPORT* report, const std::string& expected)
    {
        ASSERT_NE(report, nullptr);
        ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
        const RDB_TEXT_OBJECT* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
        EXPECT_EQ(std::string(text->get_name().c_str()), expected);
        ASSERT_NE(text->get_header(), nullptr);
        EXPECT_EQ(std::string(text->get_header()->c_str()), expected);
        ASSERT_NE(text->get_text(), nullptr);
        EXPECT_EQ(std::string(text->get_text()->c_str()), expected);
    }
};

TEST_F(EncodingTest, Utf16WithByteOrderMarkReadsAsUtf8)
{
    REPORT_PTR reference = parse_text(report_xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", WORDS));
    expect_text(reference.get(), WORDS_READ);
    for (bool big_endian : {false, true}) {
        std::string bytes = utf16_file(report_xml("<?xml version=\"1.0\" encoding=\"UTF-16\"?>", WORDS), big_endian);
        REPORT_PTR report = parse_file(write_file("utf16.xml", bytes));
        expect_text(report.get(), WORDS_READ);
        EXPECT_EQ(json_of(report.get()), json_of(reference.get()));

        // Compressed, the same.
        REPORT_PTR packed = parse_file(write_file("utf16.xml.gz", gzip_bytes(bytes)));
        EXPECT_EQ(json_of(packed.get()), json_of(reference.get()));
    }
}

TEST_F(EncodingTest, Utf16WithoutDeclarationIsRecognisedByItsMark)
{
    std::string bytes = utf16_file(report_xml("", WORDS), false);
    REPORT_PTR report = parse_file(write_file("utf16.xml", bytes));
    expect_text(report.get(), WORDS_READ);
}

TEST_F(EncodingTest, Iso88591ReadsAsUtf8)
{
    // caf<e-acute> na<i-diaeresis>ve <copyright> <micro> <y-diaeresis>
    std::string latin1 = "caf\xE9 na\xEFve \xA9 \xB5 \xFF";
    std::string utf8 = "caf\xC3\xA9 na\xC3\xAFve \xC2\xA9 \xC2\xB5 \xC3\xBF";
    for (const char* name : {"ISO-8859-1", "iso-8859-1", "latin1"}) {
        std::string declaration = std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?>";
        REPORT_PTR report = parse_text(report_xml(declaration, latin1));
        expect_text(report.get(), utf8);
    }
}

TEST_F(EncodingTest, Latin1BytesDeclaredAsUtf8AreAnError)
{
    // The file says UTF-8 but is not: the reader stops, and nothing
    // ill-formed reaches the report.
    REPORT_PTR report = parse_text(report_xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "caf\xE9"));
    EXPECT_EQ(report.get(), nullptr);
    EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1);
}

TEST_F(EncodingTest, UnknownEncodingIsAnError)
{
    REPORT_PTR report = parse_text(report_xml("<?xml version=\"1.0\" encoding=\"no-such-encoding\"?>", "x"));
    EXPECT_EQ(report.get(), nullptr);
    EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1);
}

}  // namespace
