// The root handler's dispatch of report elements.
#include "parse_fixture.h"

TEST_F(ParseTest, ReportElementsAreFoundAtAnyDepthUnderAnyDocumentElement)
{
    REPORT_PTR report = parse_text(R"(<anything><wrapper><deeper>
  <FOLDERS><Root name="main"/></FOLDERS>
  </deeper><text name="one" parent="main"/></wrapper>
  <text name="two" parent="main"/>
</anything>)");
    ASSERT_NE(report, nullptr);
    ASSERT_NE(report->get_main_folder(), nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    EXPECT_STREQ(report->get_main_folder()->get_object(0)->get_name().c_str(), "one");
    EXPECT_STREQ(report->get_main_folder()->get_object(1)->get_name().c_str(), "two");
}

TEST_F(ParseTest, ElementInsideAnActiveHandlerIsNotDispatched)
{
    // "legal" inside "folders" reaches the folders handler, which ignores it.
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root name="main"/><legal name="hidden" parent="main"/></folders>
  <legal name="seen" parent="main"/>
</report>)");
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
    EXPECT_STREQ(report->get_main_folder()->get_object(0)->get_name().c_str(), "seen");
}

TEST_F(ParseTest, HandlerSeesItsOwnStartExactlyOnce)
{
    // Were the start delivered twice, the folders handler would see "root"
    // only once anyway; the text handler would create two objects.
    REPORT_PTR report = parse_text(R"(<report><folders><root name="main"/></folders>
  <text name="once" parent="main"/><text name="again" parent="main"/></report>)");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
}

TEST_F(ParseTest, SameReportWithNamespacesOnAndOff)
{
    std::string xml = R"(<report xmlns:x="urn:x">
  <folders><root name="main"/><folder name="sub"/></folders>
  <folder_ref name="sub" parent="main" enabled="true"><header>h</header></folder_ref>
  <text name="t" parent="sub"><ascii_text>body</ascii_text></text>
</report>)";
    REPORT_PTR on = parse_text(xml);
    PARSE_OPTIONS off;
    off.use_namespaces = false;
    REPORT_PTR without = parse_text(xml, off);
    ASSERT_NE(on, nullptr);
    ASSERT_NE(without, nullptr);
    EXPECT_EQ(json_of(on.get()), json_of(without.get()));
    EXPECT_NE(json_of(on.get()).find("\"body\""), std::string::npos);
}

TEST_F(ParseTest, DeadParserIgnoresReportElements)
{
    PARSE_OPTIONS o;
    o.dead_parser = true;
    REPORT_PTR report = parse_text("<report><folders><root name=\"main\"/></folders></report>", o);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder(), nullptr);
}
