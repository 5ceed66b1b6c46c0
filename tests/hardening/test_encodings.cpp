// Reports in other encodings than UTF-8, plain and compressed: the model
// holds their text as the right UTF-8, and bytes the declared encoding does
// not allow stop the parse.

#include <rdbxml/rdb_xml.h>
#include "parse_fixture.h"
#include "read_file.h"

TEST_F(ParseTest, Utf16AndLatin1ReadAsUtf8)
{
    auto report = [](const std::string& declaration, const std::string& words) {
        return declaration + "<report><folders><root name=\"main\"/></folders><text name=\"" + words +
               "\" parent=\"main\"><ascii_text>" + words + "</ascii_text></text></report>";
    };
    // A UTF-16 file (little-endian, with a byte order mark and no declaration)
    // of two-, three- and four-byte characters, and caf<e-acute> <y-diaeresis>
    // in Latin-1.
    const std::u16string text = u"<report><folders><root name=\"main\"/></folders><text name=\"\u00e9\u65e5\U0001D11E\""
                                u" parent=\"main\"><ascii_text>&amp;\u00e9</ascii_text></text></report>";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : text)
        utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    const std::pair<std::string, std::string> files[] = {
        {utf16, "[{\"name\":\"\xC3\xA9\xE6\x97\xA5\xF0\x9D\x84\x9E\",\"text\":\"&\xC3\xA9\"}]"},
        {report("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "caf\xE9 \xFF"),
         "[{\"name\":\"caf\xC3\xA9 \xC3\xBF\",\"text\":\"caf\xC3\xA9 \xC3\xBF\"}]"}};
    for (const auto& file : files) {
        for (const std::string& bytes : {file.first, gzip_bytes(file.first)}) {
            ASSERT_NE(parse_text(bytes), nullptr) << dump();
            EXPECT_TRUE(objects_hold(file.second));
        }
    }
    // Characters beyond ASCII across the end of the attribute's inline
    // buffer (512 bytes): it holds 505 + 3 + 4 bytes, not one more.
    for (std::size_t ascii : {505u, 508u, 509u, 510u}) {
        const std::string words = std::string(ascii, 'n') + "\xE2\x82\xAC\xF0\x9D\x84\x9E";
        for (bool static_buffers : {true, false}) {
            PARSE_OPTIONS options;
            options.use_static_buffers = static_buffers;
            ASSERT_NE(parse_text(report("", words), options), nullptr) << dump();
            EXPECT_TRUE(objects_hold("[{\"name\":\"" + words + "\",\"text\":\"" + words + "\"}]")) << ascii;
        }
    }
    // Latin-1 bytes in a file that says UTF-8, and an encoding nobody knows.
    for (const char* encoding : {"UTF-8", "no-such-encoding"}) {
        EXPECT_EQ(parse_text(report(std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>", "caf\xE9")),
                  nullptr);
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << encoding;
    }
}

namespace {

// The code points of UTF-8 text (which these files are, whole).
std::u32string code_points(const std::string& utf8)
{
    std::u32string text;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int more = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (int k = 1; k <= more; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        text += c;
        i += 1 + more;
    }
    return text;
}

// Each code point in `unit` bytes (2: UTF-16, with surrogate pairs; 4:
// UTF-32), little or big end first.
std::string encoded(const std::u32string& text, int unit, bool big_endian = false)
{
    std::string bytes;
    for (char32_t c : text) {
        std::u32string units(1, c);
        if (unit == 2 && c > 0xFFFF)
            units = {char32_t(0xD800 + ((c - 0x10000) >> 10)), char32_t(0xDC00 + ((c - 0x10000) & 0x3FF))};
        for (char32_t u : units)
            for (int k = 0; k < unit; ++k)
                bytes += static_cast<char>(u >> (8 * (big_endian ? unit - 1 - k : k)));
    }
    return bytes;
}

}  // namespace

TEST_F(ParseTest, IndentedReportsInEveryWidthSayNothingOfContentNotAsWritten)
{
    // Reports as a tool writes them, indented, every element of the format
    // among them; in UTF-8, UTF-16 and UTF-32, each read to the same report
    // with no diagnostic at all.
    const std::string files[] = {example_file("report.xml"), data_file("schema_every_element.xml"),
                                 data_file("csv_tables.xml"), data_file("diff_old.xml"), data_file("table_slack.xml")};
    for (const std::string& path : files) {
        std::string utf8 = test_read_file(path);
        ASSERT_FALSE(utf8.empty()) << path;
        std::string json;
        for (int width : {1, 2, 4}) {
            SCOPED_TRACE(path + " in " + std::to_string(8 * width) + " bits");
            std::string bytes = utf8;
            if (width > 1) {
                std::string declared = utf8;
                std::size_t at = declared.find("encoding=\"UTF-8\"");
                if (at != std::string::npos)
                    declared.replace(at, 16, width == 2 ? "encoding=\"UTF-16\"" : "encoding=\"UTF-32\"");
                bytes = encoded(U"\uFEFF" + code_points(declared), width);
            }
            RDB_XML_RESULT result =
                rdb_xml_parse_input(RDB_XML_INPUT::memory(bytes.data(), bytes.size(), "r.xml"), RDB_XML_OPTIONS());
            ASSERT_NE(result.m_report, nullptr);
            EXPECT_TRUE(result.m_diagnostics.empty()) << result.m_diagnostics[0].m_line << ":"
                                                      << result.m_diagnostics[0].m_column << ": "
                                                      << result.m_diagnostics[0].m_message;
            EXPECT_EQ(result.m_not_as_written, 0);
            if (width == 1)
                json = json_of(result.m_report.get());
            else
                EXPECT_EQ(json_of(result.m_report.get()), json);
        }
    }
}

TEST_F(ParseTest, Utf16AndUtf32HoldZeroBytesButNoNulCharacter)
{
    // Every ASCII character of these encodings has zero bytes: the report
    // reads whole, each byte order, with a byte order mark or with the
    // declaration alone; a NUL character after it, a unit of zero bytes,
    // refuses it.
    const std::u32string text = U"<report><folders><root name=\"main\"/></folders>\n<text name=\"\u00e9\U0001D11E\" "
                                U"parent=\"main\"><ascii_text>x</ascii_text></text></report>";
    for (int unit : {2, 4}) {
        for (bool big_endian : {false, true}) {
            for (bool mark : {true, false}) {
                std::u32string declared = mark ? std::u32string(1, U'\uFEFF') + text
                                               : U"<?xml version=\"1.0\" encoding=\"" +
                                                     std::u32string(unit == 2 ? U"UTF-16" : U"UCS-4") + U"\"?>" + text;
                SCOPED_TRACE(std::to_string(unit) + " bytes a unit, " + (big_endian ? "big" : "little") + " end first, " +
                             (mark ? "a byte order mark" : "a declaration"));
                ASSERT_NE(parse_text(encoded(declared, unit, big_endian)), nullptr) << dump();
                EXPECT_TRUE(objects_hold("[{\"name\":\"\xC3\xA9\xF0\x9D\x84\x9E\",\"text\":\"x\"}]"));
                for (const std::string& bytes : {encoded(declared + U'\0' + U"<x/>", unit, big_endian),
                                                 gzip_bytes(encoded(declared + U'\0', unit, big_endian))}) {
                    EXPECT_EQ(parse_text(bytes), nullptr);
                    EXPECT_EQ(count_messages_with("RDB_XML: NUL character (U+0000) at byte " +
                                                  std::to_string(unit * declared.size() + (unit == 2 ? unit : 0))),
                              1)
                        << dump();
                }
            }
        }
    }
}
