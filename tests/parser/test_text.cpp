// Text and legal objects.
#include "parse_fixture.h"

namespace {

const char* const FOLDERS = "<folders><root name=\"main\"/></folders>\n";

std::string report_with(const std::string& body) { return "<report>" + std::string(FOLDERS) + body + "</report>"; }

RDB_TEXT_OBJECT* text_at(const REPORT_PTR& report, std::size_t i)
{
    return static_cast<RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(i));
}

}  // namespace

TEST_F(ParseTest, TextAndLegalObjectsKeepTheirTextUntrimmed)
{
    REPORT_PTR report = parse_text(report_with(R"(
<text name="notes" parent="main" creator="flow" enabled="true"><header> head </header><ascii_text>  line one
line two  </ascii_text><footer></footer></text>
<legal name="notice" parent="main"><ascii_text>&lt;c&gt; &amp; caf&#xe9;</ascii_text></legal>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);

    RDB_TEXT_OBJECT* notes = text_at(report, 0);
    EXPECT_STREQ(notes->get_kind(), "text");
    EXPECT_STREQ(notes->get_creator_module().c_str(), "flow");
    EXPECT_TRUE(notes->is_enabled());
    EXPECT_STREQ(notes->get_header()->c_str(), " head ");
    EXPECT_STREQ(notes->get_footer()->c_str(), "");
    ASSERT_NE(notes->get_text(), nullptr);
    EXPECT_STREQ(notes->get_text()->c_str(), "  line one\nline two  ");

    RDB_TEXT_OBJECT* notice = text_at(report, 1);
    EXPECT_STREQ(notice->get_kind(), "legal");
    EXPECT_NE(dynamic_cast<RDB_LEGAL_OBJECT*>(notice), nullptr);
    EXPECT_STREQ(notice->get_text()->c_str(), "<c> & caf\xc3\xa9");
}

TEST_F(ParseTest, SecondAsciiTextReplacesTheFirstInTheSameString)
{
    REPORT_PTR report = parse_text(report_with(
        "<text name=\"t\" parent=\"main\"><ascii_text>first</ascii_text><ascii_text>second</ascii_text></text>"));
    ASSERT_NE(report, nullptr);
    EXPECT_STREQ(text_at(report, 0)->get_text()->c_str(), "second");
}

TEST_F(ParseTest, EmptyOrMissingAsciiText)
{
    REPORT_PTR report = parse_text(report_with(
        "<text name=\"empty\" parent=\"main\"><ascii_text/></text><text parent=\"main\"></text>"));
    ASSERT_NE(report, nullptr);
    ASSERT_NE(text_at(report, 0)->get_text(), nullptr);
    EXPECT_STREQ(text_at(report, 0)->get_text()->c_str(), "");
    EXPECT_EQ(text_at(report, 1)->get_text(), nullptr);
    EXPECT_STREQ(text_at(report, 1)->get_name().c_str(), "");
}

TEST_F(ParseTest, TextElementNamesMatchInAnyCase)
{
    REPORT_PTR report = parse_text(report_with(
        "<TEXT name=\"a\" parent=\"main\"><HEADER>h</HEADER><Ascii_Text>body</Ascii_Text></TEXT>"
        "<Legal name=\"b\" parent=\"main\"/>"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    EXPECT_STREQ(text_at(report, 0)->get_text()->c_str(), "body");
    EXPECT_STREQ(text_at(report, 0)->get_header()->c_str(), "h");
    EXPECT_STREQ(text_at(report, 1)->get_kind(), "legal");
}

TEST_F(ParseTest, UnknownChildEndsTheTextHandlerEarly)
{
    // The end of <b> ends the handler; the rest of the element reaches the
    // root handler, so the second ascii_text is not read and the "text"
    // after it is dispatched as a report element of its own.
    REPORT_PTR report = parse_text(report_with(
        "<text name=\"t\" parent=\"main\"><ascii_text>one<b>bold</b>two</ascii_text>"
        "<text name=\"inner\" parent=\"main\"/></text>"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    ASSERT_NE(text_at(report, 0)->get_text(), nullptr);
    EXPECT_STREQ(text_at(report, 0)->get_text()->c_str(), "");
    EXPECT_STREQ(text_at(report, 1)->get_name().c_str(), "inner");
}

TEST_F(ParseTest, HeaderOfOneObjectDoesNotLeakIntoTheNext)
{
    REPORT_PTR report = parse_text(report_with(
        "<text name=\"a\" parent=\"main\"><header>A</header></text><text name=\"b\" parent=\"main\">"
        "<footer>B</footer></text>"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(text_at(report, 0)->get_footer(), nullptr);
    EXPECT_EQ(text_at(report, 1)->get_header(), nullptr);
    EXPECT_STREQ(text_at(report, 1)->get_footer()->c_str(), "B");
}

TEST_F(ParseTest, LongAttributeValuesGoThroughTheHeapOnlyPastTheInlineLimit)
{
    std::string name512(512, 'n');
    std::string name513(513, 'n');
    REPORT_PTR report = parse_text(report_with("<text name=\"" + name512 + "\" parent=\"main\"/>"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(count_messages_with("Using dynamic buffer: XMLCh* -> char*"), 0);
    EXPECT_EQ(text_at(report, 0)->get_name().c_str(), name512);

    report = parse_text(report_with("<text name=\"" + name513 + "\" parent=\"main\"/>"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(count_messages_with("Using dynamic buffer: XMLCh* -> char*"), 1);
    EXPECT_EQ(text_at(report, 0)->get_name().c_str(), name513);
}

TEST_F(ParseTest, DynamicBuffersPrintTheirMessageForEveryLookup)
{
    PARSE_OPTIONS o;
    o.use_static_buffers = false;
    REPORT_PTR report = parse_text(report_with("<text name=\"t\" parent=\"main\"/>"), o);
    ASSERT_NE(report, nullptr);
    // "folders" name, "root" name, then "text": name, creator, enabled, parent.
    EXPECT_EQ(count_messages_with("Using dynamic buffer: XMLCh* -> char*"), 6);
}
