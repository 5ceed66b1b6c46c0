// Object paths and the patterns that select by them, on parsed reports.
#include <string>
#include <utility>
#include <vector>

#include "parse_fixture.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> PATHS;  // path, kind

// Every path of the walk with its object's kind; each must be the one
// rdb_object_path gives its object.
PATHS walk(const RDB_FOLDER_OBJECT& top)
{
    PATHS paths;
    rdb_walk_paths(top, [&paths](const std::string& path, const RDB_OBJECT& object) {
        EXPECT_EQ(rdb_object_path(object), path);
        paths.emplace_back(path, object.get_kind());
    });
    return paths;
}

PATHS selected(const RDB_FOLDER_OBJECT& top, const std::string& pattern)
{
    PATHS paths;
    for (const RDB_PATH_MATCH& match : rdb_select_paths(top, RDB_PATH_PATTERN(pattern)))
        paths.emplace_back(match.m_path, match.m_object->get_kind());
    return paths;
}

}  // namespace

TEST_F(ParseTest, TheExampleWalksInDocumentOrderFoldersFirst)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    ASSERT_NE(report, nullptr);
    const PATHS expected = {
        {"main", "folder"},
        {"main/summaries", "folder"},
        {"main/summaries/Flow summary", "summary"},
        {"main/summaries/Flow summary", "gauges"},
        {"main/timing", "folder"},
        {"main/timing/Clocks", "table"},
        {"main/timing/Fmax", "tan_spd_table"},
        {"main/timing/Setup slack", "tan_slack_table"},
        {"main/timing/Slack histogram", "chart"},
        {"main/notes", "folder"},
        {"main/notes/Run notes", "text"},
        {"main/notes/Notice", "legal"},
        {"main/notes/Placement view", "embedded"},
        {"main/notes/Reset sequence", "waveform"},
    };
    EXPECT_EQ(walk(*report->get_main_folder()), expected);
    // From a sub-folder the paths are whole too.
    const RDB_FOLDER_OBJECT* timing = report->get_main_folder()->get_object(1)->dynamic_cast_to_RDB_FOLDER_OBJECT();
    ASSERT_NE(timing, nullptr);
    EXPECT_EQ(walk(*timing), PATHS(expected.begin() + 4, expected.begin() + 9));
    EXPECT_EQ(selected(*report->get_main_folder(), "main/**/S*"),
              (PATHS{{"main/timing/Setup slack", "tan_slack_table"}, {"main/timing/Slack histogram", "chart"}}));
    EXPECT_EQ(selected(*report->get_main_folder(), "main/**/s*"), (PATHS{{"main/summaries", "folder"}}));
    // A summary's gauges object is a part of its summary: it has the
    // summary's path, and a pattern selects both or neither; its own name
    // (the file format's) is never a step.
    EXPECT_EQ(selected(*report->get_main_folder(), "**/Flow summary"),
              (PATHS{{"main/summaries/Flow summary", "summary"}, {"main/summaries/Flow summary", "gauges"}}));
    EXPECT_EQ(selected(*report->get_main_folder(), "**/This name*"), PATHS());
    EXPECT_EQ(selected(*report->get_main_folder(), "main/summaries/*/*"), PATHS());
}

TEST_F(ParseTest, NamesAreEscapedAndDuplicatesNumberedByNameAndKind)
{
    REPORT_PTR report = parse_text(
        "<report><folders><root name=\"main\"/><folder name=\"a/b\"/><folder name=\"deep\"/></folders>"
        "<folder_ref name=\"a/b\" parent=\"main\"/><folder_ref name=\"deep\" parent=\"a/b\"/>"
        "<table name=\"Setup slack\" parent=\"main\"/><table name=\"Setup slack\" parent=\"main\"/>"
        "<chart name=\"Setup slack\" parent=\"main\"/><text name=\"back\\slash\" parent=\"main\"/>"
        "<table name=\"x[2]\" parent=\"main\"/><table name=\"x\" parent=\"main\"/><table name=\"x\" parent=\"main\"/>"
        "<table name=\"Setup slack\" parent=\"main\"/><text name=\"*?\" parent=\"deep\"/>"
        "<text name=\"Setup slack\" parent=\"deep\"/><text name=\"caf\xc3\xa9\" parent=\"main\"/></report>");
    ASSERT_NE(report, nullptr) << dump();
    const RDB_FOLDER_OBJECT& main = *report->get_main_folder();
    EXPECT_EQ(walk(main), (PATHS{
                              {"main", "folder"},
                              {"main/a\\/b", "folder"},
                              {"main/a\\/b/deep", "folder"},
                              {"main/a\\/b/deep/*?", "text"},
                              {"main/a\\/b/deep/Setup slack", "text"},
                              {"main/Setup slack", "table"},
                              {"main/Setup slack[2]", "table"},
                              {"main/Setup slack", "chart"},
                              {"main/back\\\\slash", "text"},
                              {"main/x[2]", "table"},
                              {"main/x", "table"},
                              {"main/x[2]", "table"},
                              {"main/Setup slack[3]", "table"},
                              {"main/caf\xc3\xa9", "text"},
                          }));
    EXPECT_EQ(rdb_path_escape("a/b\\c*d?e[1]"), "a\\/b\\\\c*d?e[1]");

    // A printed path selects its object alone (and one of another kind of
    // the same name); the number picks a duplicate, a star takes them all.
    const std::pair<std::string, PATHS> selections[] = {
        {"main/Setup slack", {{"main/Setup slack", "table"}, {"main/Setup slack", "chart"}}},
        {"main/Setup slack[2]", {{"main/Setup slack[2]", "table"}}},
        {"main/Setup slack[?]", {{"main/Setup slack[2]", "table"}, {"main/Setup slack[3]", "table"}}},
        {"*/Setup slack*",
         {{"main/Setup slack", "table"},
          {"main/Setup slack[2]", "table"},
          {"main/Setup slack", "chart"},
          {"main/Setup slack[3]", "table"}}},
        {"main/**/Setup slack", {{"main/a\\/b/deep/Setup slack", "text"}, {"main/Setup slack", "table"},
                                 {"main/Setup slack", "chart"}}},
        {"main/setup slack", {}},
        // A name that ends in "[2]" has the path of a second object of its
        // name: both are selected.
        {"main/x[2]", {{"main/x[2]", "table"}, {"main/x[2]", "table"}}},
        {"main/x\\[2]", {{"main/x[2]", "table"}, {"main/x[2]", "table"}}},
        {"main/a\\/b/*/\\*\\?", {{"main/a\\/b/deep/*?", "text"}}},
        {"main/a\\/b/*/\\*?", {{"main/a\\/b/deep/*?", "text"}}},
        {"main/a\\/b/*/\\*", {}},
        {"main/a/b/**", {}},
        {"main/back\\\\slash", {{"main/back\\\\slash", "text"}}},
        {"main/caf?", {{"main/caf\xc3\xa9", "text"}}},
    };
    for (const auto& s : selections)
        EXPECT_EQ(selected(main, s.first), s.second) << s.first;
}

TEST(PathPatterns, MatchWithinStepsAcrossStepsAndLiterally)
{
    struct ROW {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const ROW rows[] = {
        // '*' and '?' stay within a step.
        {"main/*", "main/Clocks", true},
        {"main/*", "main/timing/Clocks", false},
        {"main/*", "main", false},
        {"main*", "main/x", false},
        {"*", "", true},
        {"m?in", "main", true},
        {"m?in", "min", false},
        {"m?in", "m/in", false},
        {"a?b", "a\\/b", true},  // an escaped slash is one character
        {"a*b", "a\\/b", true},
        {"*.x*y", "a.x.y.x.z", false},
        {"*a*b*c", "xxaxxbxxcxxc", true},
        {"a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        // '**' as a whole step: any number of steps, none too.
        {"main/**/Setup*", "main/Setup x", true},
        {"main/**/Setup*", "main/a/b/Setup y", true},
        {"main/**/Setup*", "main/a/b/Set", false},
        {"main/**", "main", true},
        {"main/**", "mainly", false},
        {"**", "a/b/c", true},
        {"**/c", "a/b/c", true},
        {"**/b/**/d", "a/b/c/b/x/d", true},
        {"**/b/**/d", "a/b/c/b/x/e", false},
        {"a/**/**/b", "a/b", true},
        {"main**", "main/x", false},  // stars beside other text are one star
        {"main**", "mainly", true},
        // Literal: case, brackets, escapes.
        {"Main", "main", false},
        {"a[2]", "a[2]", true},
        {"a[2]", "a", false},
        {"a\\[2]", "a[2]", true},
        {"a\\*", "a*", true},
        {"a\\*", "ab", false},
        {"a\\?", "a?", true},
        {"a\\?", "ab", false},
        {"a\\/b", "a\\/b", true},
        {"a\\/b", "a/b", false},
        {"a\\\\b", "a\\\\b", true},
        {"\\m\\a\\i\\n", "main", true},
        {"", "", true},
        {"", "a", false},
    };
    for (const ROW& row : rows) {
        EXPECT_EQ(rdb_path_match(row.pattern, row.path), row.matches) << row.pattern << " ~ " << row.path;
        // Step by step, as a walk matches, and all steps at once: the same.
        RDB_PATH_PATTERN pattern(row.pattern);
        RDB_PATH_PATTERN::PROGRESS before, after;
        pattern.start(before);
        pattern.advance(before, row.path, after);
        EXPECT_EQ(pattern.accepts(after), row.matches) << row.pattern << " ~ " << row.path << ", all at once";
        for (std::string_view step : rdb_path_steps(row.path)) {
            pattern.advance(before, step, after);
            std::swap(before, after);
        }
        EXPECT_EQ(pattern.accepts(before), row.matches) << row.pattern << " ~ " << row.path << ", step by step";
    }

    // Malformed: a lone backslash at the end.
    for (const char* bad : {"main\\", "\\", "a/b\\"}) {
        RDB_PATH_PATTERN pattern(bad);
        EXPECT_FALSE(pattern.is_valid()) << bad;
        EXPECT_EQ(pattern.get_error(), "the pattern ends in a lone backslash");
        EXPECT_FALSE(pattern.matches(bad)) << bad;
        EXPECT_FALSE(pattern.matches("main")) << bad;
    }
    EXPECT_TRUE(RDB_PATH_PATTERN("main\\\\").is_valid());
}

TEST_F(ParseTest, ManyDuplicatesAndDeepChains)
{
    const int count = 100000;
    std::string body;
    for (int i = 0; i < count; ++i)
        body += "<text name=\"t\" parent=\"main\"/>";
    REPORT_PTR report = parse_text(report_with(body));
    ASSERT_NE(report, nullptr) << dump();
    std::size_t visits = 0;
    std::string last;
    rdb_walk_paths(*report->get_main_folder(), [&](const std::string& path, const RDB_OBJECT&) {
        ++visits;
        last = path;
    });
    EXPECT_EQ(visits, count + 1u);
    EXPECT_EQ(last, "main/t[" + std::to_string(count) + "]");
    EXPECT_EQ(rdb_object_path(*report->get_main_folder()->get_object(count - 1)), last);

    // A chain deeper than the call stack would allow a recursive walk.
    RDB_REPORT deep;
    RDB_FOLDER_OBJECT* bottom = new RDB_FOLDER_OBJECT(STL_STRING("d"));
    ASSERT_TRUE(deep.add_main_folder(bottom));
    for (int i = 1; i < count; ++i) {
        auto* child = new RDB_FOLDER_OBJECT(STL_STRING("d"));
        ASSERT_TRUE(bottom->add_object_to_list(child));
        bottom = child;
    }
    std::size_t longest = 0;
    rdb_walk_paths(*deep.get_main_folder(),
                   [&](const std::string& path, const RDB_OBJECT&) { longest = std::max(longest, path.size()); });
    EXPECT_EQ(longest, 2u * count - 1);
    EXPECT_EQ(rdb_object_path(*bottom).size(), 2u * count - 1);
}
