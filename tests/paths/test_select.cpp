// Selecting part of a report by paths, and pruning it to the selection.
#include <string>
#include <vector>

#include "parse_fixture.h"

namespace {

std::vector<std::string> kept_paths(const RDB_PATH_SELECTION& selection)
{
    std::vector<std::string> paths;
    for (const RDB_PATH_MATCH& match : selection.get_kept())
        paths.push_back(match.m_path);
    return paths;
}

std::vector<std::string> all_paths(const RDB_FOLDER_OBJECT& top)
{
    std::vector<std::string> paths;
    rdb_walk_paths(top, [&](const std::string& path, const RDB_OBJECT&) { paths.push_back(path); });
    return paths;
}

}  // namespace

TEST_F(ParseTest, SelectionKeepsMatchesWhatTheyHoldAndTheFoldersOnTheWay)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    ASSERT_NE(report, nullptr);
    const RDB_FOLDER_OBJECT& main = *report->get_main_folder();
    typedef std::vector<std::string> PATHS;

    RDB_PATH_SELECTION one(main, {RDB_PATH_PATTERN("main/timing/Clocks")});
    EXPECT_EQ(kept_paths(one), (PATHS{"main", "main/timing", "main/timing/Clocks"}));
    EXPECT_EQ(one.get_match_counts(), std::vector<std::size_t>{1});

    // A folder keeps what it holds; a summary keeps its gauges object,
    // which has the summary's path (its own name is no step of it); a
    // pattern that matches nothing is counted as such.
    RDB_PATH_SELECTION several(main, {RDB_PATH_PATTERN("main/notes"), RDB_PATH_PATTERN("**/Flow summary"),
                                      RDB_PATH_PATTERN("main/nothing"), RDB_PATH_PATTERN("**/This name*")});
    EXPECT_EQ(kept_paths(several),
              (PATHS{"main", "main/summaries", "main/summaries/Flow summary", "main/summaries/Flow summary",
                     "main/notes", "main/notes/Run notes", "main/notes/Notice", "main/notes/Placement view",
                     "main/notes/Reset sequence"}));
    EXPECT_EQ(several.get_match_counts(), (std::vector<std::size_t>{1, 2, 0, 0}));
    const RDB_OBJECT* summary = several.get_kept()[2].m_object;
    EXPECT_STREQ(summary->get_kind(), "summary");
    EXPECT_STREQ(several.get_kept()[3].m_object->get_kind(), "gauges");

    RDB_PATH_SELECTION none(main, {RDB_PATH_PATTERN("x")});
    EXPECT_TRUE(none.get_kept().empty());
}

TEST_F(ParseTest, PruningReleasesWhatTheSelectionDoesNotKeep)
{
    REPORT_PTR report = parse_text(
        "<report><folders><root name=\"main\"/><folder name=\"f\"/><folder name=\"g\"/></folders>"
        "<folder_ref name=\"f\" parent=\"main\"/><folder_ref name=\"g\" parent=\"f\"/>"
        "<table name=\"t\" parent=\"main\"/><table name=\"t\" parent=\"main\"/>"
        "<text name=\"a\" parent=\"g\"/><text name=\"b\" parent=\"f\"/></report>");
    ASSERT_NE(report, nullptr) << dump();
    RDB_FOLDER_OBJECT& main = *report->get_main_folder();

    // The paths a selection gives are those of the whole report: the second
    // "t" stays "t[2]" there, and becomes "t" once the first is gone.
    RDB_PATH_SELECTION selection(main, {RDB_PATH_PATTERN("main/t[2]"), RDB_PATH_PATTERN("main/f/g/*")});
    EXPECT_EQ(kept_paths(selection), (std::vector<std::string>{"main", "main/f", "main/f/g", "main/f/g/a", "main/t[2]"}));
    const RDB_OBJECT* second = selection.get_kept().back().m_object;
    rdb_prune_to_selection(main, selection);
    EXPECT_EQ(all_paths(main), (std::vector<std::string>{"main", "main/f", "main/f/g", "main/f/g/a", "main/t"}));
    EXPECT_EQ(main.get_object(1), second);

    // A current folder that goes is forgotten; the main folder stays.
    report->set_current_folder(main.get_object(0)->dynamic_cast_to_RDB_FOLDER_OBJECT());
    rdb_prune_report(*report, RDB_PATH_SELECTION(main, {RDB_PATH_PATTERN("main/f/g")}));
    EXPECT_NE(report->get_current_folder(), nullptr);
    rdb_prune_report(*report, RDB_PATH_SELECTION(main, {}));
    EXPECT_EQ(all_paths(main), std::vector<std::string>{"main"});
    EXPECT_EQ(report->get_current_folder(), nullptr);
    report->set_current_folder(&main);
    rdb_prune_report(*report, RDB_PATH_SELECTION(main, {}));
    EXPECT_EQ(report->get_current_folder(), &main);
}
