// Folders and folder references: the folder tree through the folder index,
// and what finds no place in it.
#include <rdbxml/rdb_xml.h>
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

TEST_F(ParseTest, AFolderReferencedAgainKeepsOneOwnerAndTheReportIsKept)
{
    // Valid reports whose references find no new place for a folder: each
    // refusal says its own cause as a warning, never that memory ran out,
    // and the folder "a" has exactly one owner: the main folder ("main"),
    // or the report as an unplaced object ("unplaced").
    struct CASE {
        const char* body;
        std::vector<std::string> warnings;
        const char* owner_of_a;
    };
    const CASE cases[] = {
        {"<folder_ref name=\"a\" parent=\"main\"/><folder_ref name=\"a\" parent=\"nowhere\"/>",
         {"folder \"a\" is already placed: it stays where it is, not placed again into \"nowhere\""}, "main"},
        {"<folder_ref name=\"a\" parent=\"main\"/><folder_ref name=\"main\"/>",
         {"folder \"main\" is the report's main folder: the main folder is not placed again"}, "main"},
        {"<folder_ref name=\"main\" parent=\"nowhere\"/><folder_ref name=\"a\" parent=\"main\"/>",
         {"folder \"main\" is the report's main folder: the main folder is not placed again"}, "main"},
        {"<folder_ref name=\"main\" parent=\"a\"/><folder_ref name=\"a\" parent=\"main\"/>",
         {"folder \"main\" is the report's main folder: the main folder is not placed again"}, "main"},
        {"<folder_ref name=\"a\" parent=\"x\"/><folder_ref name=\"a\" parent=\"y\"/>",
         {"folder \"a\" names the folder \"x\", which was never declared: it is not placed",
          "folder \"a\" names the folder \"y\", which was never declared: it is not placed",
          "Folder \"a\" is declared but never placed"},
         "unplaced"},
        // Being held as unplaced is not a placement.
        {"<folder_ref name=\"a\" parent=\"x\"/><folder_ref name=\"a\" parent=\"main\"/>",
         {"folder \"a\" names the folder \"x\", which was never declared: it is not placed"}, "main"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.body);
        std::string xml = std::string("<report><folders><root name=\"main\"/><folder name=\"a\"/></folders>") +
                          c.body + "</report>";
        RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size()), RDB_XML_OPTIONS());
        ASSERT_NE(result.m_report, nullptr);
        EXPECT_FALSE(result.m_out_of_memory);
        std::vector<std::string> warnings;
        for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics) {
            EXPECT_EQ(d.m_severity, RDB_XML_DIAGNOSTIC::WARNING) << d.m_message;
            warnings.push_back(d.m_message);
        }
        EXPECT_EQ(warnings, c.warnings);
        const RDB_REPORT& report = *result.m_report;
        const RDB_FOLDER_OBJECT* main = report.get_main_folder();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->get_name(), "main");
        std::vector<const RDB_OBJECT*> in_main(main->objects().begin(), main->objects().end());
        bool a_in_main = in_main.size() == 1 && in_main[0]->get_name() == "a";
        EXPECT_EQ(in_main.size(), a_in_main ? 1u : 0u);
        EXPECT_EQ(report.get_number_of_unplaced(), a_in_main ? 0u : 1u);
        EXPECT_EQ(a_in_main ? "main" : "unplaced", std::string(c.owner_of_a));
    }
}
