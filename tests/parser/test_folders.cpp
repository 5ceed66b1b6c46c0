// Folders and folder references: the folder tree through the folder index,
// and what finds no place in it.
#include "bounded_run.h"
#include "parse_fixture.h"
#include "rdb_bench_reports.h"
#include "rdb_xml_globals.h"

TEST_F(ParseTest, FolderTreeIsBuiltFromDeclarationsAndReferences)
{
    // The nesting of declarations means nothing; a reference sets what its
    // folder shows (no "enabled" disables), text beside its parts is lost;
    // an object may go into a folder placed later; the root is current.
    REPORT_PTR report = parse_text(R"(<report>
  <folders name="ignored"><root name="main"/><folder name="timing"><folder name="nested"/></folder>
    <folder name="area"/></folders>
  <text name="early" parent="nested"/>
  <folder_ref name="timing" parent="main" creator="sta" enabled="TRUE">
    <header> timing head </header>stray text<footer>timing foot</footer></folder_ref>
  <folder_ref name="area" parent="main"><footer>area foot</footer></folder_ref>
  <folder_ref name="nested" parent="timing" enabled="yes"/>
</report>)");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_current_folder(), report->get_main_folder());
    EXPECT_TRUE(objects_hold(R"([
        {"kind":"folder","name":"timing","creator":"sta","enabled":true,"header":" timing head ",
         "footer":"timing foot","objects":[{"name":"nested","enabled":false,"objects":[{"name":"early"}]}]},
        {"name":"area","creator":"","enabled":false,"header":null,"footer":"area foot","objects":[]}])"));
}

TEST_F(ParseTest, FoldersAndObjectsThatFindNoPlaceAreNotOwnedTwice)
{
    // An object naming no folder stays out of the tree (and is released with
    // the report); a folder placed twice, into itself or below itself keeps
    // its first place; a later declaration of a name wins. A folder placed
    // into a folder it holds, both out of the tree, could never be shown:
    // the report is refused.
    ASSERT_NE(parse_text(R"(<report>
  <folders><root name="main"/><folder name="a"/><folder name="b"/><folder name="never_placed"/>
    <folder name="x"/><folder name="x"/><folder name="c"/><folder name="d"/></folders>
  <text name="lost" parent="nowhere"><ascii_text>x</ascii_text></text>
  <folder_ref name="a" parent="main"/>
  <folder_ref name="a" parent="main"/>
  <folder_ref name="b" parent="a"/>
  <folder_ref name="a" parent="b"/>
  <folder_ref name="b" parent="b"/>
  <folder_ref name="main" parent="b"/>
  <folder_ref name="x" parent="main"/>
</report>)"),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"a","objects":[{"name":"b","objects":[]}]},{"name":"x"}])"));
    EXPECT_EQ(parse_text("<report><folders><root name=\"main\"/><folder name=\"c\"/><folder name=\"d\"/></folders>"
                         "<folder_ref name=\"c\" parent=\"d\"/><folder_ref name=\"d\" parent=\"c\"/></report>"),
              nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Folder \"d\" cannot be placed into \"c\", which it holds")) << dump();
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
}

TEST_F(ParseTest, UndeclaredFolderReferenceIsAnInternalErrorAndNothingOutlivesItsParse)
{
    // The folder of the last parse is gone. An internal error is not a parse
    // error. The end of "header" handed control back; the rest of the
    // element went to the root handler, which dispatched the "text" in it.
    parse_text("<report><folders><root name=\"main\"/><folder name=\"first\"/></folders></report>");
    EXPECT_EQ(rdb_xml_folder_index, nullptr);
    ASSERT_NE(parse_text(report_with("<folder_ref name=\"first\" parent=\"main\"><header>h</header>"
                                     "<text name=\"inside\" parent=\"main\"/></folder_ref>"
                                     "<text name=\"after\" parent=\"main\"/>")),
              nullptr);
    EXPECT_EQ(count_messages_with("m_folder != 0"), 1);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_TRUE(objects_hold(R"([{"name":"inside"},{"name":"after"}])"));
    // A document that ends inside an element releases its handler.
    EXPECT_EQ(parse_text("<report><folders><root name=\"m\"/>"), nullptr);
    EXPECT_EQ(parse_text("<report><folders><root name=\"m\"/></folders><text name=\"t\" parent=\"m\">"), nullptr);
    EXPECT_EQ(rdb_xml_active_handler, nullptr);
}

TEST_F(ParseTest, FoldersPlacedAtTheBottomOfADeepChainCostNoWalkUpIt)
{
    // 100 000 folders, each holding a text, placed one after another at the
    // bottom of a chain 100 000 deep: ten thousand million steps, were the
    // chain walked up for each placement to look for a cycle.
    const std::size_t depth = 100000, folders = 100000;
    const std::string xml = rdb_bench_filled_folders_under_chain(depth, folders);
    BOUNDED_RUN run = bounded_run(
        [&] {
            REPORT_PTR report = parse_text(xml);
            const RDB_FOLDER_OBJECT* bottom = report ? report->get_main_folder() : nullptr;
            for (std::size_t i = 0; i < depth && bottom != nullptr; ++i) {
                const RDB_OBJECT* next = bottom->get_object(0);
                bottom = next != nullptr ? next->dynamic_cast_to_RDB_FOLDER_OBJECT() : nullptr;
            }
            return bottom != nullptr && bottom->get_number_of_objects() == folders &&
                   bottom->get_object(folders - 1)->get_name().view() == "g" + std::to_string(folders - 1);
        },
        60, std::size_t(4) << 30);
    EXPECT_TRUE(run.ok) << run.outcome;

    // The cycle is still seen at any depth: the top of a chain that is not
    // in the main folder, placed at the chain's bottom.
    std::string chain = "<report><folders><root name=\"main\"/>";
    for (int i = 0; i < 1000; ++i)
        chain += "<folder name=\"c" + std::to_string(i) + "\"/>";
    chain += "</folders>";
    for (int i = 1; i < 1000; ++i)
        chain += "<folder_ref name=\"c" + std::to_string(i) + "\" parent=\"c" + std::to_string(i - 1) + "\"/>";
    EXPECT_EQ(parse_text(chain + "<folder_ref name=\"c0\" parent=\"c999\"/></report>"), nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Folder \"c0\" cannot be placed into \"c999\", which it holds")) << dump();
    // Placed above its own chain instead, it is no cycle.
    EXPECT_NE(parse_text(chain + "<folder_ref name=\"c0\" parent=\"main\"/></report>"), nullptr) << dump();
}
