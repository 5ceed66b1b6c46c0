// A report is read into storage of its own: its objects, rows, cells and
// texts come from it, nothing else does, and it goes with the report.
#include <memory>
#include <thread>

#include <rdbxml/rdb_xml.h>
#include "mem_pagemap.h"
#include "parse_fixture.h"

namespace {

const char* const LONG_TEXT = "a cell text too long to be held inside its string";

std::string table_report()
{
    std::string rows;
    for (int r = 0; r < 2000; ++r)
        rows += "<row><string_cell>" + std::string(LONG_TEXT) + "</string_cell><int_cell>" + std::to_string(r) +
                "</int_cell></row>";
    return "<report><folders><root name=\"main\"/></folders>\n<table name=\"t\" parent=\"main\">" + rows +
           "</table></report>";
}

const RDB_TABLE_STRING_ELEMENT& first_cell(const RDB_REPORT& report)
{
    auto* table = static_cast<const RDB_TABLE_OBJECT*>(report.get_main_folder()->get_object(0));
    return static_cast<const RDB_TABLE_STRING_ELEMENT&>(*table->get_element(0, 0, false));
}

}  // namespace

TEST_F(ParseTest, AReportIsReadIntoStorageOfItsOwnThatGoesWithIt)
{
    const std::string xml = table_report();
    // What the host's sink and progress callback keep is the host's, not
    // the report's.
    std::unique_ptr<STL_STRING> kept, kept_by_progress;
    RDB_XML_OPTIONS options;
    options.m_message_sink = [&kept](const char*, const char* text) {
        if (!kept)
            kept.reset(new STL_STRING(std::string(text).append(LONG_TEXT).c_str()));
    };
    options.m_progress = [&kept_by_progress](std::uint64_t, std::uint64_t) {
        if (!kept_by_progress)
            kept_by_progress.reset(new STL_STRING(LONG_TEXT));
        return true;
    };
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "t.xml"), options);
    ASSERT_NE(result.m_report, nullptr);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(mem_pagemap_find(kept.get()), nullptr);
    EXPECT_EQ(mem_pagemap_find(kept->c_str()), nullptr);
    ASSERT_NE(kept_by_progress, nullptr);
    EXPECT_EQ(mem_pagemap_find(kept_by_progress->c_str()), nullptr);

    const RDB_TABLE_STRING_ELEMENT& cell = first_cell(*result.m_report);
    EXPECT_STREQ(cell.get_string().c_str(), LONG_TEXT);
    const void* pieces[] = {result.m_report->get_main_folder(), &cell, cell.get_string().c_str()};
    for (const void* piece : pieces)
        EXPECT_NE(mem_pagemap_find(piece), nullptr) << "part of the report outside its storage";
    // The report itself is not in it: it releases the storage last.
    EXPECT_EQ(mem_pagemap_find(result.m_report.get()), nullptr);

    // What the host adds later, on this thread too, is its own.
    auto* table = static_cast<RDB_TABLE_OBJECT*>(result.m_report->get_main_folder()->get_object(0));
    ASSERT_TRUE(table->add_string_row(LONG_TEXT, RDB_ROW_END));
    EXPECT_EQ(mem_pagemap_find(table->get_element(table->get_number_of_rows() - 1, 0, false)), nullptr);

    // Released on another thread, the storage goes with the report.
    std::thread([&] { result.m_report.reset(); }).join();
    for (const void* piece : pieces)
        EXPECT_EQ(mem_pagemap_find(piece), nullptr) << "storage outlived its report";
}
