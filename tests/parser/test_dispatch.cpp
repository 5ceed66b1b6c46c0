// Which handler reads which element: the root handler's dispatch of report
// elements, and the handler in charge until its element ends.
#include "parse_fixture.h"

TEST_F(ParseTest, ReportElementsAreFoundAtAnyDepthUnderAnyDocumentElement)
{
    ASSERT_NE(parse_text(R"(<anything><wrapper><deeper>
  <FOLDERS><Root name="main"/></FOLDERS>
  </deeper><text name="one" parent="main"/></wrapper>
  <text name="two" parent="main"/>
</anything>)"),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"one"},{"name":"two"}])"));
}

TEST_F(ParseTest, ElementsInsideAnActiveHandlerAreNotDispatched)
{
    // "legal" inside "folders" reaches the folders handler, which ignores
    // it. Unknown children and waveform children of an "embedded" are
    // ignored, and its handler ends only at the end of "embedded".
    ASSERT_NE(parse_text(R"(<report>
  <folders><root name="main"/><legal name="hidden" parent="main"/></folders>
  <embedded name="e" parent="main" type="generic">
    <note>skip <b>me</b></note><source_vector>s</source_vector><compare>true</compare>
    <text name="inside" parent="main"/><info>kept</info></embedded>
  <legal name="seen" parent="main"/>
</report>)"),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"kind":"embedded","info":"kept"},{"kind":"legal","name":"seen"}])"));
}

TEST_F(ParseTest, ElementNamesMatchInAnyCaseButAttributeNamesOnlyAsWritten)
{
    ASSERT_NE(parse_text(report_with(
                  "<TABLE name=\"t\" parent=\"main\" Enable_Fled=\"true\"><ROW><Int_Cell>9</Int_Cell></ROW></TABLE>"
                  "<Summary name=\"s\" parent=\"main\"><GAUGES><Gauge Percent=\"true\"/></GAUGES>"
                  "</Summary><TEXT name=\"x\" parent=\"main\" Enabled=\"true\"/>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"last_cmp_flp_location_available":false,"rows":[[{"value":9}]]},
        {"gauges":{"slots":[{"percent":false}]}},{"enabled":false}])"));
}
