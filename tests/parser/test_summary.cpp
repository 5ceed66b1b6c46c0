// Summaries: rows whose text is broken by child elements, and gauge parts
// out of their place.
#include "parse_fixture.h"

TEST_F(ParseTest, SummaryRowTextStartsAgainAtANestedChild)
{
    // Text before a nested child is dropped at the child's start; the
    // child's own text and what follows it stay.
    ASSERT_NE(parse_text(report_with("<summary name=\"s\" parent=\"main\"><element name=\" n \"> a <b>lost</b> kept "
                                     "</element></summary>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":" n "},{"value":"lost kept "}]]}])"));
}

TEST_F(ParseTest, GaugeFieldsOutOfPlaceAreSkippedSilently)
{
    // Fields and gauges outside "gauges" take no slot and no number. The
    // first gauges object, and g0 in it, are released when the second
    // starts: the fields that follow must not reach g0.
    ASSERT_NE(parse_text(report_with(R"(<summary name="s" parent="main">
<min>1</min><max>2</max><value>3</value><gauge name="orphan"><min>4</min></gauge>
<gauges><value>5</value><gauge name="first"/></gauges></summary>
<summary name="t" parent="main"><gauges><gauge name="g0"><min>1</min></gauge></gauges>
<gauges><min>5</min><max>6</max><value>7</value><gauge name="g1"><max>3</max></gauge></gauges>
</summary>)")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"gauges":{"slots":[{"name":"first","min":0,"max":0,"value":0}]}},
                                 {"gauges":{"slots":[null,{"name":"g1","min":0,"max":3,"value":0}]}}])"));
    // Nothing but the usual lines: configuration, three timings, the file
    // and the totals.
    EXPECT_EQ(m_messages.size(), 6u);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}
