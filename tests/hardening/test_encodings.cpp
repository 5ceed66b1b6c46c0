// Reports in other encodings than UTF-8, plain and compressed: the model
// holds their text as the right UTF-8, and bytes the declared encoding does
// not allow stop the parse.
#include "parse_fixture.h"

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

TEST_F(ParseTest, Utf16AndUtf32HoldZeroBytesButNoNulCharacter)
{
    // Every ASCII character of these encodings has zero bytes: the report
    // reads whole, each byte order, with a byte order mark or with the
    // declaration alone; a NUL character after it, a unit of zero bytes,
    // refuses it.
    const std::u32string text = U"<report><folders><root name=\"main\"/></folders>\n<text name=\"\u00e9\U0001D11E\" "
                                U"parent=\"main\"><ascii_text>x</ascii_text></text></report>";
    auto encode = [](const std::u32string& chars, int unit, bool big_endian) {
        std::string bytes;
        for (char32_t c : chars) {
            std::u32string units(1, c);
            if (unit == 2 && c > 0xFFFF)
                units = {char32_t(0xD800 + ((c - 0x10000) >> 10)), char32_t(0xDC00 + ((c - 0x10000) & 0x3FF))};
            for (char32_t u : units)
                for (int k = 0; k < unit; ++k)
                    bytes += static_cast<char>(u >> (8 * (big_endian ? unit - 1 - k : k)));
        }
        return bytes;
    };
    for (int unit : {2, 4}) {
        for (bool big_endian : {false, true}) {
            for (bool mark : {true, false}) {
                std::u32string declared = mark ? std::u32string(1, U'\uFEFF') + text
                                               : U"<?xml version=\"1.0\" encoding=\"" +
                                                     std::u32string(unit == 2 ? U"UTF-16" : U"UCS-4") + U"\"?>" + text;
                SCOPED_TRACE(std::to_string(unit) + " bytes a unit, " + (big_endian ? "big" : "little") + " end first, " +
                             (mark ? "a byte order mark" : "a declaration"));
                ASSERT_NE(parse_text(encode(declared, unit, big_endian)), nullptr) << dump();
                EXPECT_TRUE(objects_hold("[{\"name\":\"\xC3\xA9\xF0\x9D\x84\x9E\",\"text\":\"x\"}]"));
                for (const std::string& bytes : {encode(declared + U'\0' + U"<x/>", unit, big_endian),
                                                 gzip_bytes(encode(declared + U'\0', unit, big_endian))}) {
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
