// Report and folder ownership: what a report releases, what folders refuse.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "mem_manager.h"
#include "rdb_report.h"

namespace {

// Manager blocks not yet returned, across the whole process.
long outstanding_blocks()
{
    return static_cast<long>(MEM_MANAGER::allocation_count()) - static_cast<long>(MEM_MANAGER::release_count());
}

// Made the way the parser makes its objects.
#define MODEL_NEW(TYPE, ...) MEM_NEW("RDB_XML", "tests/model", TYPE, ##__VA_ARGS__)

STL_STRING* new_text(const char* text) { return MODEL_NEW(STL_STRING, text); }

// A report with one object of every kind, rows and strings included.
RDB_REPORT* build_full_report()
{
    RDB_REPORT* report = MODEL_NEW(RDB_REPORT);
    auto* main_folder = MODEL_NEW(RDB_FOLDER_OBJECT, STL_STRING("main"));
    report->add_main_folder(main_folder);
    report->set_current_folder(main_folder);
    auto* sub = MODEL_NEW(RDB_FOLDER_OBJECT, STL_STRING("sub"));
    main_folder->add_object_to_list(sub);
    auto* text = MODEL_NEW(RDB_TEXT_OBJECT, STL_STRING("t"));
    text->add_text(new_text("body"));
    sub->add_object_to_list(text);
    auto* legal = MODEL_NEW(RDB_LEGAL_OBJECT, STL_STRING("l"));
    legal->add_text(new_text("first"));
    legal->add_text(new_text("second"));  // releases "first"
    main_folder->add_object_to_list(legal);

    auto* table = MODEL_NEW(RDB_TABLE_OBJECT, STL_STRING("tab"), RDB_OBJECT_TYPE_TABLE);
    RDB_TABLE_ROW* row = MODEL_NEW(RDB_TABLE_ROW);
    table->add_row(row);
    row->push_back(MODEL_NEW(RDB_TABLE_STRING_ELEMENT));
    row->push_back(MODEL_NEW(RDB_TABLE_INT_ELEMENT));
    row->push_back(MODEL_NEW(RDB_TABLE_INAME_ELEMENT));
    row->push_back(MODEL_NEW(RDB_TABLE_DELAY_ELEMENT, 5L, RDB_DELAY_DISPLAY_PS));
    table->add_string_row("a", "b", RDB_ROW_END);
    main_folder->add_object_to_list(table);

    auto* summary = MODEL_NEW(RDB_SUMMARY_TABLE_OBJECT, STL_STRING("sum"));
    summary->add_string_row("cpu", "", RDB_ROW_END);
    auto* gauges = MODEL_NEW(RDB_GAUGES_OBJECT, STL_STRING("g"), 2);
    summary->set_gauges(gauges);
    for (unsigned i = 0; i < 4; ++i)
        gauges->set_data_at(i, MODEL_NEW(RDB_GAUGES_DATA_ELEMENT, "x", false, 0, 1, 0, false));
    main_folder->add_object_to_list(summary);
    auto* chart = MODEL_NEW(RDB_CHART_TABLE_OBJECT, STL_STRING("c"), 3);
    chart->add_string_row("", "", RDB_ROW_END);
    chart->add_row(STL_STRING("p"), 1);
    sub->add_object_to_list(chart);

    RDB_TAN_SLACK_COLUMN_TYPE_LIST columns;
    columns.push_back(std::make_pair(RDB_SLACK_COLUMN_FROM, STL_STRING("From")));
    auto* slack = MODEL_NEW(RDB_TAN_SLACK_TABLE_OBJECT, STL_STRING("slack"), 1, columns, RDB_OBJECT_TYPE_TAN_TABLE);
    slack->add_string_row("1", RDB_ROW_END);
    main_folder->add_object_to_list(slack);
    main_folder->add_object_to_list(MODEL_NEW(RDB_TAN_SPD_TABLE_OBJECT, static_cast<MEM_SEGMENT*>(&mem_default_segment),
                                              STL_STRING("spd"), true, RDB_OBJECT_TYPE_TAN_TABLE));
    main_folder->add_object_to_list(MODEL_NEW(RDB_EMBEDDED_OBJECT, STL_STRING("e"), RDB_EMBEDDED_TYPE_HTML));
    main_folder->add_object_to_list(
        MODEL_NEW(RDB_WAVEFORM_OBJECT, STL_STRING("w"), STL_STRING(""), STL_STRING(""), false));

    // Objects that never found a place stay with the report.
    report->adopt_unplaced(MODEL_NEW(RDB_FOLDER_OBJECT, STL_STRING("declared")));
    report->adopt_unplaced(MODEL_NEW(RDB_TEXT_OBJECT, STL_STRING("orphan")));
    return report;
}

}  // namespace

TEST(ReportOwnership, DeletingTheReportReturnsEveryManagerBlock)
{
    long before = outstanding_blocks();
    RDB_REPORT* report = build_full_report();
    EXPECT_GT(outstanding_blocks(), before + 20);
    delete report;
    EXPECT_EQ(outstanding_blocks(), before);

    // Objects made with plain new go back the same way, and a string from
    // the global allocator is released through the manager as well.
    report = new RDB_REPORT;
    auto* text = new RDB_TEXT_OBJECT("t");
    text->add_text(new STL_STRING("plain"));
    report->add_main_folder(new RDB_FOLDER_OBJECT("main"));
    report->get_main_folder()->add_object_to_list(text);
    EXPECT_EQ(outstanding_blocks(), before + 3);
    delete report;
    EXPECT_EQ(outstanding_blocks(), before - 1);
}

TEST(ReportOwnership, ObjectsAreOwnedOnceAndNeverInACycle)
{
    RDB_TEXT_OBJECT text("t");
    STL_STRING* body = new_text("start");
    text.add_text(body);
    text.add_text(body);  // the same string again: still kept, not released
    EXPECT_EQ(text.get_text(), body);

    RDB_FOLDER_OBJECT first("first");
    RDB_FOLDER_OBJECT second("second");
    auto* placed = new RDB_TEXT_OBJECT("t");
    ASSERT_TRUE(first.add_object_to_list(placed));
    EXPECT_EQ(placed->get_owner(), &first);
    EXPECT_FALSE(second.add_object_to_list(placed));
    EXPECT_FALSE(first.add_object_to_list(placed));
    EXPECT_FALSE(first.add_object_to_list(nullptr));
    EXPECT_EQ(first.get_number_of_objects(), 1u);
    EXPECT_EQ(second.get_number_of_objects(), 0u);

    auto* top = new RDB_FOLDER_OBJECT("top");
    auto* middle = new RDB_FOLDER_OBJECT("middle");
    auto* bottom = new RDB_FOLDER_OBJECT("bottom");
    EXPECT_FALSE(top->add_object_to_list(top));
    ASSERT_TRUE(top->add_object_to_list(middle));
    ASSERT_TRUE(middle->add_object_to_list(bottom));
    // `top` is unowned, so only the cycle check can refuse it.
    EXPECT_FALSE(bottom->add_object_to_list(top));
    EXPECT_FALSE(middle->add_object_to_list(top));
    EXPECT_EQ(top->get_owner(), nullptr);
    EXPECT_EQ(bottom->get_number_of_objects(), 0u);
    delete top;
}

TEST(ReportOwnership, ReplacedMainFolderStaysWithTheReport)
{
    RDB_REPORT report;
    auto* first = new RDB_FOLDER_OBJECT("first");
    auto* second = new RDB_FOLDER_OBJECT("second");
    report.add_main_folder(first);
    EXPECT_STREQ(first->get_owner()->get_kind(), "report");
    report.add_main_folder(second);
    EXPECT_EQ(report.get_main_folder(), second);
    ASSERT_EQ(report.get_number_of_unplaced(), 1u);
    EXPECT_EQ(report.get_unplaced(0), first);

    // The earlier one can come back: it leaves the unplaced objects.
    report.add_main_folder(first);
    EXPECT_EQ(report.get_main_folder(), first);
    ASSERT_EQ(report.get_number_of_unplaced(), 1u);
    EXPECT_EQ(report.get_unplaced(0), second);

    // A folder that a folder owns is refused.
    auto* inner = new RDB_FOLDER_OBJECT("inner");
    ASSERT_TRUE(first->add_object_to_list(inner));
    report.add_main_folder(inner);
    EXPECT_EQ(report.get_main_folder(), first);
    EXPECT_EQ(report.get_number_of_unplaced(), 1u);
}

TEST(ReportOwnership, AdoptUnplacedIgnoresOwnedObjectsAndTheReportItself)
{
    RDB_REPORT report;
    auto* main_folder = new RDB_FOLDER_OBJECT("main");
    report.add_main_folder(main_folder);
    auto* placed = new RDB_TEXT_OBJECT("placed");
    main_folder->add_object_to_list(placed);
    auto* orphan = new RDB_TEXT_OBJECT("orphan");

    report.adopt_unplaced(placed);
    report.adopt_unplaced(main_folder);
    report.adopt_unplaced(nullptr);
    EXPECT_EQ(report.get_number_of_unplaced(), 0u);

    report.adopt_unplaced(orphan);
    report.adopt_unplaced(orphan);  // adopted once only
    ASSERT_EQ(report.get_number_of_unplaced(), 1u);
    EXPECT_EQ(orphan->get_owner(), main_folder->get_owner());

    // An adopted object has an owner, so no folder takes it as well, and
    // the store cannot be placed anywhere.
    EXPECT_FALSE(main_folder->add_object_to_list(orphan));
    RDB_FOLDER_OBJECT elsewhere("elsewhere");
    EXPECT_FALSE(elsewhere.add_object_to_list(orphan->get_owner()));
}

TEST(ReportOwnership, DeepFolderChainIsReleasedAndWritten)
{
    // Deep enough that a recursive release or walk would exhaust the stack.
    const int depth = 100000;
    long before = outstanding_blocks();
    // Built from the bottom up: each placement checks the new parent's
    // (empty) chain of owners only.
    auto* top = new RDB_FOLDER_OBJECT("level");
    for (int i = 1; i < depth; ++i) {
        auto* parent = new RDB_FOLDER_OBJECT("level");
        ASSERT_TRUE(parent->add_object_to_list(top));
        top = parent;
    }
    auto* report = new RDB_REPORT;
    report->add_main_folder(top);
    std::ostringstream json;
    rdb_write_json(report, json);
    EXPECT_EQ(json.str().compare(0, 24, "{\"main_folder\":{\"kind\":\""), 0);
    std::ostringstream text;
    rdb_write_text(report, text);
    EXPECT_NE(text.str().find("(level 99999) folder \"level\""), std::string::npos);
    delete report;
    EXPECT_EQ(outstanding_blocks(), before);
}
