// Text objects, and how attribute values reach them through the parser's
// buffers.
#include "parse_fixture.h"

TEST_F(ParseTest, UnknownChildEndsTheTextHandlerEarly)
{
    // The end of <b> ends the handler; the rest of the element reaches the
    // root handler, so the second ascii_text is not read and the "text"
    // after it is dispatched as a report element of its own.
    ASSERT_NE(parse_text(report_with("<text name=\"t\" parent=\"main\"><ascii_text>one<b>bold</b>two</ascii_text>"
                                     "<text name=\"inner\" parent=\"main\"/></text>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"t","text":""},{"name":"inner","text":null}])"));
}

TEST_F(ParseTest, AttributeValuesUseTheHeapOnlyPastTheInlineLimitOrWhenAsked)
{
    const char* const DYNAMIC = "Using dynamic buffer: XMLCh* -> char*";
    for (std::size_t length : {512, 513}) {
        std::string name(length, 'n');
        ASSERT_NE(parse_text(report_with("<text name=\"" + name + "\" parent=\"main\"/>")), nullptr);
        EXPECT_EQ(count_messages_with(DYNAMIC), length > 512 ? 1 : 0);
        EXPECT_TRUE(objects_hold("[{\"name\":\"" + name + "\"}]"));
    }
    // Without static buffers every lookup says so. "folders" and "root":
    // name; "text": name, creator, enabled, parent; "table": name,
    // enable_fled, creator, enabled, parent; "row": name; "int_cell": name,
    // foreground, background.
    PARSE_OPTIONS o;
    o.use_static_buffers = false;
    ASSERT_NE(parse_text(report_with("<text name=\"t\" parent=\"main\"/>"), o), nullptr);
    EXPECT_EQ(count_messages_with(DYNAMIC), 2 + 4);
    ASSERT_NE(parse_text(report_with("<table parent=\"main\"><row><int_cell>1</int_cell></row></table>"), o), nullptr);
    EXPECT_EQ(count_messages_with(DYNAMIC), 2 + 5 + 1 + 3);
}
