// Report and folder ownership: what folders and reports refuse, what a
// report keeps and releases, and folder chains too deep for recursion. That
// parsed reports of every kind are released whole is checked by the
// sanitizer build of the parser tests.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "mem_manager.h"
#include "rdb_report.h"

namespace {

// Manager blocks not yet returned, across the whole process.
long outstanding_blocks()
{
    return static_cast<long>(MEM_MANAGER::allocation_count()) - static_cast<long>(MEM_MANAGER::release_count());
}

}  // namespace

TEST(ReportOwnership, ObjectsAreOwnedOnceNeverInACycleAndReleasedWithTheReport)
{
    long before = outstanding_blocks();
    {
        RDB_REPORT report;
        auto* main_folder = new RDB_FOLDER_OBJECT("main");
        report.add_main_folder(main_folder);
        auto* text = new RDB_TEXT_OBJECT("t");
        STL_STRING* body = MEM_NEW("RDB_XML", "tests/model", STL_STRING, "start");
        text->add_text(body);
        text->add_text(body);  // the same string again: kept, not released
        EXPECT_EQ(text->get_text(), body);
        ASSERT_TRUE(main_folder->add_object_to_list(text));

        // An owned object, null, a folder itself and the report's own folder
        // go nowhere else; an unowned folder goes nowhere below itself.
        auto* other = new RDB_FOLDER_OBJECT("other");
        auto* middle = new RDB_FOLDER_OBJECT("middle");
        auto* bottom = new RDB_FOLDER_OBJECT("bottom");
        ASSERT_TRUE(other->add_object_to_list(middle) && middle->add_object_to_list(bottom));
        for (RDB_OBJECT* refused : std::vector<RDB_OBJECT*>{text, nullptr, other, main_folder}) {
            EXPECT_FALSE(other->add_object_to_list(refused));
            EXPECT_FALSE(bottom->add_object_to_list(refused));
        }
        EXPECT_FALSE(main_folder->add_object_to_list(text));
        EXPECT_EQ(other->get_owner(), nullptr);
        EXPECT_EQ(bottom->get_number_of_objects(), 0u);

        // The report adopts an unowned object once, and nothing owned; then
        // no folder takes it, nor the report's store of them.
        for (RDB_OBJECT* object : std::vector<RDB_OBJECT*>{other, other, text, main_folder, nullptr})
            report.adopt_unplaced(object);
        ASSERT_EQ(report.get_number_of_unplaced(), 1u);
        EXPECT_FALSE(main_folder->add_object_to_list(other) || main_folder->add_object_to_list(other->get_owner()));

        // A replaced main folder stays with the report and may come back; a
        // folder that a folder owns is refused.
        auto* second = new RDB_FOLDER_OBJECT("second");
        report.add_main_folder(second);
        EXPECT_TRUE(report.get_main_folder() == second && report.get_unplaced(1) == main_folder);
        report.add_main_folder(main_folder);
        report.add_main_folder(middle);
        EXPECT_EQ(report.get_main_folder(), main_folder);
        ASSERT_EQ(report.get_number_of_unplaced(), 2u);
        EXPECT_EQ(report.get_unplaced(1), second);
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(ReportOwnership, DeepFolderChainIsReleasedAndWritten)
{
    // Deep enough that a recursive release or walk would exhaust the stack.
    long before = outstanding_blocks();
    // Built from the bottom up: each placement checks the new parent's
    // (empty) chain of owners only.
    auto* top = new RDB_FOLDER_OBJECT("level");
    for (int i = 1; i < 100000; ++i) {
        auto* parent = new RDB_FOLDER_OBJECT("level");
        ASSERT_TRUE(parent->add_object_to_list(top));
        top = parent;
    }
    auto* report = new RDB_REPORT;
    report->add_main_folder(top);
    std::ostringstream json, text;
    rdb_write_json(report, json);
    EXPECT_EQ(json.str().compare(0, 24, "{\"main_folder\":{\"kind\":\""), 0);
    rdb_write_text(report, text);
    EXPECT_NE(text.str().find("(level 99999) folder \"level\""), std::string::npos);
    delete report;
    EXPECT_EQ(outstanding_blocks(), before);
}
