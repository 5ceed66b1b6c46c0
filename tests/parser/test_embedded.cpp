// Embedded objects and waveforms.
#include "parse_fixture.h"
#include "totals_snapshot.h"

namespace {

std::string report_with(const std::string& body)
{
    return "<report><folders><root name=\"main\"/></folders>\n" + body + "</report>";
}

RDB_EMBEDDED_OBJECT* embedded_at(const REPORT_PTR& report, unsigned i)
{
    return dynamic_cast<RDB_EMBEDDED_OBJECT*>(report->get_main_folder()->get_object(i));
}

RDB_WAVEFORM_OBJECT* waveform_at(const REPORT_PTR& report, unsigned i)
{
    return dynamic_cast<RDB_WAVEFORM_OBJECT*>(report->get_main_folder()->get_object(i));
}

}  // namespace

TEST_F(ParseTest, EmbeddedObjectGetsItsTypeInfoAndCommonParts)
{
    REPORT_PTR report = parse_text(report_with(R"(<embedded name="Page" parent="main" creator="flow" enabled="TRUE"
 type="Html"><header>h</header><info> page.html
</info><footer>f</footer></embedded>
<embedded parent="main" type="image"/>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    RDB_EMBEDDED_OBJECT* page = embedded_at(report, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->get_kind(), "embedded");
    EXPECT_STREQ(page->get_name().c_str(), "Page");
    EXPECT_STREQ(page->get_creator_module().c_str(), "flow");
    EXPECT_TRUE(page->is_enabled());
    EXPECT_EQ(page->get_embedded_type(), RDB_EMBEDDED_TYPE_HTML);
    EXPECT_STREQ(page->get_info_str().c_str(), " page.html\n");
    EXPECT_STREQ(page->get_header()->c_str(), "h");
    EXPECT_STREQ(page->get_footer()->c_str(), "f");
    EXPECT_STREQ(embedded_at(report, 1)->get_name().c_str(), "");
    EXPECT_EQ(embedded_at(report, 1)->get_embedded_type(), RDB_EMBEDDED_TYPE_IMAGE);
}

TEST_F(ParseTest, FloorplanIsRefusedWithItsMessageAndWithoutError)
{
    REPORT_PTR report = parse_text(report_with(R"(<embedded name="a" parent="main" type="floorplan">
<header>h</header><info>ignored</info></embedded>
<embedded name="b" parent="main" type="FloorPlan"/>
<embedded name="c" parent="main" type="FLOORPLAN"><info>x</info></embedded>
<text name="after" parent="main"/>)"));
    ASSERT_NE(report, nullptr);
    // No object for any of them; the next element is read as usual.
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
    EXPECT_STREQ(report->get_main_folder()->get_object(0)->get_name().c_str(), "after");
    EXPECT_EQ(count_messages_with("RDB_XML: Floorplan embedded type is no longer supported."), 3);
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 0);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}

TEST_F(ParseTest, UnknownEmbeddedTypeIsOneErrorButTheObjectIsStillMade)
{
    std::string json;
    snapshot_report_at_totals(m_messages, json);
    REPORT_PTR report = parse_text(report_with(R"(<embedded name="clip" parent="main" type="video">
<info>movie</info></embedded>
<embedded name="next" parent="main" type="text"/>)"));
    EXPECT_EQ(report, nullptr);
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 1);
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: video"));
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
    // The object was made with type 0 and filled like any other.
    EXPECT_NE(json.find("\"name\":\"clip\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"embedded_type\":\"generic\",\"info\":\"movie\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\":\"next\""), std::string::npos) << json;

    // An absent type is looked up as the empty name.
    report = parse_text(report_with("<embedded name=\"none\" parent=\"main\"/>"));
    EXPECT_EQ(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: "));
    EXPECT_NE(json.find("\"name\":\"none\""), std::string::npos) << json;
}

TEST_F(ParseTest, WaveformIsFilledFromTheChildrenThatAppear)
{
    REPORT_PTR report = parse_text(report_with(R"(<waveform name="full" parent="main" creator="sim" enabled="true"
 type="html"><info> i </info><source_vector> in.vec </source_vector><result_vector>out.vec
</result_vector><compare>TRUE</compare><header>h</header></waveform>
<waveform name="bare" parent="main"/>
<waveform name="compare only" parent="main"><compare>true</compare></waveform>
<waveform name="source only" parent="main"><source_vector>s.vec</source_vector></waveform>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 4u);

    RDB_WAVEFORM_OBJECT* full = waveform_at(report, 0);
    ASSERT_NE(full, nullptr);
    EXPECT_STREQ(full->get_kind(), "waveform");
    EXPECT_STREQ(full->get_creator_module().c_str(), "sim");
    EXPECT_TRUE(full->is_enabled());
    // A waveform's "type" is not read.
    EXPECT_EQ(full->get_embedded_type(), RDB_EMBEDDED_TYPE_GENERIC);
    EXPECT_STREQ(full->get_info_str().c_str(), " i ");
    EXPECT_STREQ(full->get_source_vector_file_name().c_str(), " in.vec ");
    EXPECT_STREQ(full->get_result_vector_file_name().c_str(), "out.vec\n");
    EXPECT_TRUE(full->get_compare_mode());
    EXPECT_STREQ(full->get_header()->c_str(), "h");

    RDB_WAVEFORM_OBJECT* bare = waveform_at(report, 1);
    EXPECT_STREQ(bare->get_info_str().c_str(), "");
    EXPECT_STREQ(bare->get_source_vector_file_name().c_str(), "");
    EXPECT_STREQ(bare->get_result_vector_file_name().c_str(), "");
    EXPECT_FALSE(bare->get_compare_mode());
    EXPECT_EQ(bare->get_header(), nullptr);

    RDB_WAVEFORM_OBJECT* compare_only = waveform_at(report, 2);
    EXPECT_TRUE(compare_only->get_compare_mode());
    EXPECT_STREQ(compare_only->get_source_vector_file_name().c_str(), "");

    RDB_WAVEFORM_OBJECT* source_only = waveform_at(report, 3);
    EXPECT_STREQ(source_only->get_source_vector_file_name().c_str(), "s.vec");
    EXPECT_STREQ(source_only->get_result_vector_file_name().c_str(), "");
    EXPECT_FALSE(source_only->get_compare_mode());
}

TEST_F(ParseTest, CompareModeIsTrueOnlyForExactlyTrue)
{
    struct CASE {
        const char* text;
        bool expected;
    } cases[] = {{"true", true}, {"TRUE", true}, {"True", true}, {"yes", false}, {"", false},
                 {" true", false}, {"true ", false}, {"false", false}};
    for (const CASE& c : cases) {
        REPORT_PTR report = parse_text(report_with(std::string("<waveform name=\"w\" parent=\"main\">") +
                                                   "<compare>true</compare><compare>" + c.text +
                                                   "</compare></waveform>"));
        ASSERT_NE(report, nullptr) << c.text;
        EXPECT_EQ(waveform_at(report, 0)->get_compare_mode(), c.expected) << "'" << c.text << "'";
    }
}

TEST_F(ParseTest, EmbeddedHandlerStaysInChargeAcrossUnknownChildren)
{
    // Unknown children and waveform children of an "embedded" are ignored,
    // and the handler ends only at the end of "embedded".
    REPORT_PTR report = parse_text(report_with(R"(<embedded name="e" parent="main" type="generic">
<note>skip <b>me</b></note><source_vector>s</source_vector><compare>true</compare>
<text name="inside" parent="main"/>
<info>kept</info></embedded>
<text name="after" parent="main"/>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    RDB_EMBEDDED_OBJECT* object = embedded_at(report, 0);
    EXPECT_EQ(dynamic_cast<RDB_WAVEFORM_OBJECT*>(object), nullptr);
    EXPECT_STREQ(object->get_info_str().c_str(), "kept");
    EXPECT_STREQ(report->get_main_folder()->get_object(1)->get_name().c_str(), "after");
}

TEST_F(ParseTest, EmbeddedElementNamesMatchInAnyCase)
{
    REPORT_PTR report = parse_text(report_with(R"(<EMBEDDED name="e" parent="main" type="IMAGE"><INFO>pic</INFO></EMBEDDED>
<Waveform name="w" parent="main"><Source_Vector>a</Source_Vector><RESULT_VECTOR>b</RESULT_VECTOR>
<Compare>true</Compare><Info>i</Info><FOOTER>f</FOOTER></Waveform>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    EXPECT_EQ(embedded_at(report, 0)->get_embedded_type(), RDB_EMBEDDED_TYPE_IMAGE);
    EXPECT_STREQ(embedded_at(report, 0)->get_info_str().c_str(), "pic");
    RDB_WAVEFORM_OBJECT* wave = waveform_at(report, 1);
    ASSERT_NE(wave, nullptr);
    EXPECT_STREQ(wave->get_source_vector_file_name().c_str(), "a");
    EXPECT_STREQ(wave->get_result_vector_file_name().c_str(), "b");
    EXPECT_TRUE(wave->get_compare_mode());
    EXPECT_STREQ(wave->get_info_str().c_str(), "i");
    EXPECT_STREQ(wave->get_footer()->c_str(), "f");
}
