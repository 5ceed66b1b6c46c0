// Folders and folder references: the folder tree through the folder index.
#include "parse_fixture.h"

#include "rdb_xml_globals.h"

namespace {

const char* const TREE = R"(<report>
  <folders name="ignored">
    <root name="main"/>
    <folder name="timing"><folder name="nested"/></folder>
    <folder name="area"/>
  </folders>
  <folder_ref name="timing" parent="main" creator="sta" enabled="TRUE">
    <header> timing head </header>stray text<footer>timing foot</footer>
  </folder_ref>
  <folder_ref name="area" parent="main">
    <footer>area foot</footer>
  </folder_ref>
  <folder_ref name="nested" parent="timing" enabled="yes"/>
</report>)";

}  // namespace

TEST_F(ParseTest, FolderTreeIsBuiltFromDeclarationsAndReferences)
{
    REPORT_PTR report = parse_text(TREE);
    ASSERT_NE(report, nullptr);
    RDB_FOLDER_OBJECT* main_folder = report->get_main_folder();
    ASSERT_NE(main_folder, nullptr);
    EXPECT_STREQ(main_folder->get_name().c_str(), "main");
    EXPECT_EQ(report->get_current_folder(), main_folder);
    ASSERT_EQ(main_folder->get_number_of_objects(), 2u);

    RDB_OBJECT* timing = main_folder->get_object(0);
    EXPECT_STREQ(timing->get_kind(), "folder");
    EXPECT_STREQ(timing->get_name().c_str(), "timing");
    EXPECT_STREQ(timing->get_creator_module().c_str(), "sta");
    EXPECT_TRUE(timing->is_enabled());
    ASSERT_NE(timing->get_header(), nullptr);
    EXPECT_STREQ(timing->get_header()->c_str(), " timing head ");
    ASSERT_NE(timing->get_footer(), nullptr);
    EXPECT_STREQ(timing->get_footer()->c_str(), "timing foot");

    RDB_OBJECT* area = main_folder->get_object(1);
    EXPECT_STREQ(area->get_name().c_str(), "area");
    EXPECT_STREQ(area->get_creator_module().c_str(), "");
    EXPECT_FALSE(area->is_enabled());  // no "enabled" disables
    EXPECT_EQ(area->get_header(), nullptr);
    ASSERT_NE(area->get_footer(), nullptr);
    EXPECT_STREQ(area->get_footer()->c_str(), "area foot");

    RDB_FOLDER_OBJECT* timing_folder = static_cast<RDB_FOLDER_OBJECT*>(timing);
    ASSERT_EQ(timing_folder->get_number_of_objects(), 1u);
    EXPECT_STREQ(timing_folder->get_object(0)->get_name().c_str(), "nested");
    EXPECT_FALSE(timing_folder->get_object(0)->is_enabled());
}

TEST_F(ParseTest, UndeclaredFolderReferenceReportsInternalErrorAndGoesOn)
{
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root name="main"/></folders>
  <folder_ref name="ghost" parent="main"><header>h</header><text name="inside" parent="main"/></folder_ref>
  <text name="after" parent="main"/>
</report>)");
    ASSERT_NE(report, nullptr);  // an internal error is not a parse error
    EXPECT_EQ(count_messages_with("m_folder != 0"), 1);
    RDB_FOLDER_OBJECT* main_folder = report->get_main_folder();
    // The end of "header" handed control back; the rest of the element went
    // to the root handler, which dispatched the "text" inside it.
    ASSERT_EQ(main_folder->get_number_of_objects(), 2u);
    EXPECT_STREQ(main_folder->get_object(0)->get_name().c_str(), "inside");
    EXPECT_STREQ(main_folder->get_object(1)->get_name().c_str(), "after");
}

TEST_F(ParseTest, ObjectWithoutParentLandsInTheFolderOfTheEmptyName)
{
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root/></folders>
  <text name="orphan"/>
</report>)");
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
    EXPECT_STREQ(report->get_main_folder()->get_object(0)->get_name().c_str(), "orphan");
}

TEST_F(ParseTest, ObjectNamingNoFolderIsKeptOutOfTheTreeWithoutLeak)
{
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root name="main"/><folder name="never_placed"/></folders>
  <text name="lost" parent="nowhere"><ascii_text>x</ascii_text></text>
</report>)");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder()->get_number_of_objects(), 0u);
}

TEST_F(ParseTest, FolderPlacedTwiceOrIntoItselfIsNotOwnedTwice)
{
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root name="main"/><folder name="a"/><folder name="b"/></folders>
  <folder_ref name="a" parent="main"/>
  <folder_ref name="a" parent="main"/>
  <folder_ref name="b" parent="a"/>
  <folder_ref name="a" parent="b"/>
  <folder_ref name="b" parent="b"/>
  <folder_ref name="main" parent="b"/>
</report>)");
    ASSERT_NE(report, nullptr);
    RDB_FOLDER_OBJECT* main_folder = report->get_main_folder();
    ASSERT_EQ(main_folder->get_number_of_objects(), 1u);
    RDB_FOLDER_OBJECT* a = static_cast<RDB_FOLDER_OBJECT*>(main_folder->get_object(0));
    ASSERT_EQ(a->get_number_of_objects(), 1u);
    RDB_FOLDER_OBJECT* b = static_cast<RDB_FOLDER_OBJECT*>(a->get_object(0));
    EXPECT_EQ(b->get_number_of_objects(), 0u);
}

TEST_F(ParseTest, LaterDeclarationOfTheSameNameWins)
{
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root name="main"/><folder name="x" /><folder name="x"/></folders>
  <folder_ref name="x" parent="main" creator="second"/>
</report>)");
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
}

TEST_F(ParseTest, SecondParseDoesNotSeeTheFirstOnesFolders)
{
    parse_text(R"(<report><folders><root name="main"/><folder name="first"/></folders></report>)");
    EXPECT_EQ(rdb_xml_folder_index.count(), 0);
    REPORT_PTR report = parse_text(R"(<report>
  <folders><root name="main"/></folders>
  <folder_ref name="first" parent="main"/>
</report>)");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(count_messages_with("m_folder != 0"), 1);
    EXPECT_EQ(report->get_main_folder()->get_number_of_objects(), 0u);
}

TEST_F(ParseTest, DocumentEndingInsideAnElementReleasesItsHandler)
{
    EXPECT_EQ(parse_text("<report><folders><root name=\"m\"/>"), nullptr);
    EXPECT_EQ(parse_text("<report><folders><root name=\"m\"/></folders><text name=\"t\" parent=\"m\">"), nullptr);
    EXPECT_EQ(rdb_xml_active_handler, nullptr);
}
