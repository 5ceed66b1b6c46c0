// Report and folder ownership: what folders and reports refuse (leaving it
// with the caller), what a report keeps and releases, and folder chains too
// deep for recursion. That
// parsed reports of every kind are released whole is checked by the
// sanitizer build of the parser tests.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include <rdbxml/mem_manager.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_text_writer.h>
#include "failing_new.h"

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
        EXPECT_FALSE(report.add_main_folder(nullptr));
        ASSERT_TRUE(report.add_main_folder(main_folder));
        EXPECT_TRUE(report.add_main_folder(main_folder));  // already the main folder
        auto* text = new RDB_TEXT_OBJECT("t");
        STL_STRING* body = MEM_NEW("RDB_XML", "tests/model", STL_STRING, "start");
        EXPECT_TRUE(text->add_text(MEM_NEW("RDB_XML", "tests/model", STL_STRING, "replaced")));
        EXPECT_TRUE(text->add_text(body));  // releases "replaced"
        EXPECT_TRUE(text->add_text(body));  // the same string again: kept, not released
        EXPECT_EQ(text->get_text(), body);
        ASSERT_TRUE(main_folder->add_object_to_list(text));

        // An owned object, null, a folder itself and the report's own folder
        // go nowhere else; an unowned folder goes nowhere below itself. A
        // refused object stays where it was, alive.
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
        EXPECT_FALSE(bottom->add_object_to_list(bottom));  // itself, though it holds nothing
        EXPECT_TRUE(bottom->would_make_cycle(other) && bottom->would_make_cycle(middle) &&
                    bottom->would_make_cycle(bottom));
        EXPECT_FALSE(other->would_make_cycle(bottom) || bottom->would_make_cycle(text) ||
                     bottom->would_make_cycle(nullptr) || middle->would_make_cycle(main_folder));

        // The report adopts an unowned object once, and nothing owned; then
        // no folder takes it, nor the report's store of them.
        std::vector<bool> adopted;
        for (RDB_OBJECT* object : std::vector<RDB_OBJECT*>{other, other, text, main_folder, nullptr})
            adopted.push_back(report.adopt_unplaced(object));
        EXPECT_EQ(adopted, (std::vector<bool>{true, false, false, false, false}));
        ASSERT_EQ(report.get_number_of_unplaced(), 1u);
        RDB_OBJECT* store = other->get_owner();
        EXPECT_FALSE(main_folder->add_object_to_list(other) || main_folder->add_object_to_list(store));
        EXPECT_FALSE(report.adopt_unplaced(store));
        EXPECT_FALSE(report.add_main_folder(store->dynamic_cast_to_RDB_FOLDER_OBJECT()));

        // A replaced main folder stays with the report and may come back; a
        // folder that a folder owns is refused and stays there.
        auto* second = new RDB_FOLDER_OBJECT("second");
        ASSERT_TRUE(report.add_main_folder(second));
        EXPECT_TRUE(report.get_main_folder() == second && report.get_unplaced(1) == main_folder);
        EXPECT_TRUE(report.add_main_folder(main_folder));
        EXPECT_FALSE(report.add_main_folder(middle));
        EXPECT_EQ(middle->get_owner(), other);
        EXPECT_EQ(report.get_main_folder(), main_folder);
        ASSERT_EQ(report.get_number_of_unplaced(), 2u);
        EXPECT_EQ(report.get_unplaced(1), second);
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(ReportOwnership, NoMemoryForTheEntryLeavesTheObjectWithTheCaller)
{
    long before = outstanding_blocks();
    {
        RDB_REPORT report;
        RDB_FOLDER_OBJECT folder("f");
        auto* placed = new RDB_FOLDER_OBJECT("placed");
        ASSERT_TRUE(placed->add_object_to_list(new RDB_TEXT_OBJECT("inside")));
        EXPECT_GE(test_each_allocation_failing([&] { return folder.add_object_to_list(placed); },
                                               [&] {
                                                   EXPECT_TRUE(placed->get_owner() == nullptr &&
                                                               folder.get_number_of_objects() == 0u);
                                                   // Not a cycle: a caller can tell the two apart.
                                                   EXPECT_FALSE(folder.would_make_cycle(placed));
                                               }),
                  1u);

        auto* unplaced = new RDB_TEXT_OBJECT("u");
        EXPECT_GE(test_each_allocation_failing([&] { return report.adopt_unplaced(unplaced); },
                                               [&] {
                                                   EXPECT_TRUE(unplaced->get_owner() == nullptr &&
                                                               report.get_number_of_unplaced() == 0u);
                                               }),
                  1u);

        // Replacing the main folder needs an entry for the earlier one.
        auto* first = new RDB_FOLDER_OBJECT("first");
        ASSERT_TRUE(report.add_main_folder(first));
        auto* second = new RDB_FOLDER_OBJECT("second");
        EXPECT_GE(test_each_allocation_failing([&] { return report.add_main_folder(second); },
                                               [&] {
                                                   EXPECT_TRUE(report.get_main_folder() == first &&
                                                               second->get_owner() == nullptr &&
                                                               report.get_number_of_unplaced() == 1u);
                                               }),
                  1u);
        EXPECT_EQ(report.get_unplaced(1), first);
        // The earlier one comes back from the store, even a full store,
        // without needing memory: it leaves its entry to the one it replaces.
        for (bool full = false; !full;) {
            auto* filler = new RDB_TEXT_OBJECT("filler");
            test_fail_new_after(1);
            full = !report.adopt_unplaced(filler);
            test_fail_new_after(0);
            if (full)
                delete filler;  // refused: still ours
        }
        std::size_t unplaced_count = report.get_number_of_unplaced();
        test_fail_new_after(1);
        EXPECT_TRUE(report.add_main_folder(first));
        EXPECT_FALSE(test_new_failed());
        test_fail_new_after(0);
        EXPECT_EQ(report.get_main_folder(), first);
        ASSERT_EQ(report.get_number_of_unplaced(), unplaced_count);
        EXPECT_EQ(report.get_unplaced(unplaced_count - 1), second);

        // Every replacement makes room for one more unplaced folder; the
        // room grows by doubling, not by one entry each time.
        std::vector<RDB_FOLDER_OBJECT*> replacements;
        for (int i = 0; i < 1000; ++i)
            replacements.push_back(new RDB_FOLDER_OBJECT("replacement"));
        unsigned long allocations = test_new_count();
        for (RDB_FOLDER_OBJECT* replacement : replacements)
            ASSERT_TRUE(report.add_main_folder(replacement));
        EXPECT_LE(test_new_count() - allocations, 16u);
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(ReportOwnership, DeepFolderChainIsReleasedAndWritten)
{
    // Deep enough that a recursive release or walk would exhaust the stack.
    long before = outstanding_blocks();
    // Built from the top down, as a parse builds it: each new folder is
    // empty, so placing it walks no chain of owners, however deep.
    auto* report = new RDB_REPORT;
    auto* bottom = new RDB_FOLDER_OBJECT("level");
    ASSERT_TRUE(report->add_main_folder(bottom));
    for (int i = 1; i < 100000; ++i) {
        auto* child = new RDB_FOLDER_OBJECT("level");
        ASSERT_TRUE(bottom->add_object_to_list(child));
        bottom = child;
    }
    std::ostringstream json, text;
    rdb_write_json(report, json);
    EXPECT_EQ(json.str().compare(0, 24, "{\"main_folder\":{\"kind\":\""), 0);
    rdb_write_text(report, text);
    EXPECT_NE(text.str().find("(level 99999) folder \"level\""), std::string::npos);
    delete report;
    EXPECT_EQ(outstanding_blocks(), before);
}
