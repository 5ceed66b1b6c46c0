// The tool's pages in a real browser (headless chromium): what a reader
// sees once the page's script ran, that hostile report text runs nothing
// and adds no element, and that a very long table stays one page of rows.
// The example page's screenshot is kept in artifacts/ of the build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "browser.h"
#include "page_check.h"
#include "tool_runner.h"

namespace {

class HtmlBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (browser_program().empty())
            GTEST_FAIL() << "no chromium: make deps installs it";
    }

    // The page the tool writes for `report`, loaded and dumped; `status`
    // is the tool's exit status.
    std::string dom_of(const std::string& report, const std::string& fragment = "",
                       std::vector<std::string> extra = {}, int status = 0)
    {
        std::string page = m_scratch.dir() + "/page.html";
        extra.insert(extra.end(), {"-q", "--html", page, report});
        TOOL_RUN run = tool_run(extra);
        EXPECT_EQ(run.status, status) << run.err;
        std::string dom = browser_dump_dom("file://" + page + fragment);
        EXPECT_FALSE(dom.empty());
        return dom;
    }

    TOOL_SCRATCH m_scratch;
};

TEST_F(HtmlBrowserTest, ExamplePageShowsEveryPartOfTheReport)
{
    std::string dom = dom_of(tool_example_report(), "", {"--hierarchy", tool_example_hierarchy()});
    // The sidebar: every folder and every object.
    EXPECT_EQ(tool_count(dom, "<li class=\"d"), 13u);
    EXPECT_EQ(tool_count(dom, "<section class=\"folder"), 4u);
    EXPECT_EQ(tool_count(dom, "<article class=\"object"), 9u);
    EXPECT_EQ(tool_count(dom, "<table class=\"cells"), 5u);
    // 3 + 3 + 3 table rows, 4 summary rows, and the chart's 5 data points;
    // each table's first row is its heading, counted apart from its 2 rows.
    EXPECT_EQ(tool_count(dom, "<tr>"), 18u);
    EXPECT_EQ(tool_count(dom, "<thead><tr><th"), 3u);
    EXPECT_EQ(tool_count(dom, "<p class=\"meta\">2 rows"), 3u);
    EXPECT_EQ(tool_count(dom, "<div class=\"gauge\">"), 3u);
    EXPECT_EQ(tool_count(dom, "<rect class=\"bar histogram\""), 5u);
    EXPECT_EQ(tool_count(dom, "class=\"data-label\""), 5u);
    for (const char* shown : {"412.0 MHz", "-120 ps", "top/cpu/alu/acc_reg", "Slack (ps)", "63.0%",
                              "reset_stimulus.vec", "on: results are compared"})
        EXPECT_NE(dom.find(shown), std::string::npos) << shown;

    std::filesystem::create_directories(RDBXML_ARTIFACT_DIR);
    EXPECT_TRUE(browser_screenshot("file://" + m_scratch.dir() + "/page.html",
                                   RDBXML_ARTIFACT_DIR "/example-page.png", 1280, 2900));
}

TEST_F(HtmlBrowserTest, HostileTextRunsNothingAndAddsNoElement)
{
    std::string report = m_scratch.write("hostile.xml", hostile_report_xml(150));
    std::string first = dom_of(report);
    // The second page of the long table is built by the script from data.
    std::size_t paged = first.rfind("id=\"", first.find("data-rows=\"150\""));
    ASSERT_NE(paged, std::string::npos);
    std::string table_id = first.substr(paged + 4, first.find('"', paged + 4) - paged - 4);
    std::string second = dom_of(report, "#" + table_id + "-p2");
    for (const std::string& dom : {first, second}) {
        EXPECT_EQ(foreign_markup(dom_elements(dom)), "");
        EXPECT_EQ(dom.find("data-pwned=\""), std::string::npos);
        EXPECT_NE(dom.find("&lt;script&gt;document.body.setAttribute('data-pwned','script')&lt;/script&gt;"),
                  std::string::npos);
    }
    EXPECT_NE(second.find("Rows 101\xE2\x80\x93" "150 of 150 (page 2 of 2)"), std::string::npos);
    EXPECT_NE(second.find("<td class=\"num\">149</td>"), std::string::npos);
}

TEST_F(HtmlBrowserTest, HostileDiffPageRunsNothingAndAddsNoElement)
{
    // The new report has fewer rows, other chart values, and every header,
    // footer, text, info, axis and vector name edited (still hostile), so
    // the page shows hostile paths, rows, point labels and values on both
    // sides of a change.
    std::string edited = hostile_report_xml(140);
    for (std::size_t at = edited.find("\">4</data>"); at != std::string::npos; at = edited.find("\">4</data>", at))
        edited[at + 2] = '5';
    for (const std::string tag : {"<header>", "<footer>", "<ascii_text>", "<info>", "<x_label>", "<source_vector>"})
        for (std::size_t at = edited.find(tag); at != std::string::npos; at = edited.find(tag, at + 1))
            edited.insert(at + tag.size(), "x");
    std::string old_report = m_scratch.write("old.xml", hostile_report_xml(150));
    std::string dom = dom_of(m_scratch.write("new.xml", edited), "", {"diff", old_report}, 1);
    EXPECT_EQ(foreign_markup(dom_elements(dom)), "");
    EXPECT_EQ(dom.find("data-pwned=\""), std::string::npos);
    EXPECT_EQ(tool_count(dom, "<td class=\"sign del\">"), 10u);
    EXPECT_GT(tool_count(dom, "<td class=\"sign chg\">"), 40u);
    EXPECT_NE(dom.find("<td class=\"new chg\">x&lt;script&gt;document.body.setAttribute('data-pwned','script')&lt;/script&gt;"),
              std::string::npos);
}

TEST_F(HtmlBrowserTest, HundredThousandRowsArePagedNotRendered)
{
    std::string xml = "<report><folders><root name=\"main\"/></folders><table name=\"big\" parent=\"main\">";
    for (int r = 0; r < 100000; ++r)
        xml += "<row><string_cell>path " + std::to_string(r) + "</string_cell><int_cell>" + std::to_string(r) +
               "</int_cell></row>";
    std::string report = m_scratch.write("big.xml", xml + "</table></report>");
    std::string dom = dom_of(report, "#main/big-t-p500");
    EXPECT_EQ(tool_count(dom, "<tr>"), 100u);
    EXPECT_NE(dom.find("Rows 49901\xE2\x80\x93" "50000 of 100000 (page 500 of 1000)"), std::string::npos);
    EXPECT_NE(dom.find("<td>path 49999</td>"), std::string::npos);
}

TEST(HtmlTool, SeveralFilesGiveOnePageEachNamedAfterThem)
{
    TOOL_SCRATCH scratch;
    std::filesystem::create_directories(scratch.dir() + "/b");
    std::string report = "<report><folders><root name=\"main\"/></folders></report>";
    std::string first = scratch.write("run.xml", report);
    std::string second = scratch.write("b/run.xml", report);
    TOOL_RUN run = tool_run({"-q", "--html", scratch.dir() + "/pages", first, second, scratch.dir() + "/missing.xml"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::filesystem::exists(scratch.dir() + "/pages/run.html"));
    EXPECT_TRUE(std::filesystem::exists(scratch.dir() + "/pages/run-2.html"));
    // And their list.
    EXPECT_TRUE(std::filesystem::exists(scratch.dir() + "/pages/index.html"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.dir() + "/pages"),
                            std::filesystem::directory_iterator()),
              3);

    // A page whose directory is missing: nothing is read.
    run = tool_run({"--html", scratch.dir() + "/no/such/dir/x.html", first});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no/such/dir"), std::string::npos) << run.err;
    // A trailing '/' means a directory, also for one file.
    EXPECT_EQ(tool_run({"-q", "--html", scratch.dir() + "/one/", first}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(scratch.dir() + "/one/run.html"));
    // A page is never written over the report it shows.
    EXPECT_EQ(tool_run({"-q", "--html", first, first}).status, 1);
    EXPECT_EQ(tool_run({"-q", "--json", first}).status, 0);
}

}  // namespace
