// Fixture of the table tests: the parse fixture, plus a look at a report
// that the parse is about to drop because it counted errors.
#pragma once

#include <cstring>
#include <functional>
#include <string>

#include "msg.h"
#include "parse_fixture.h"
#include "rdb_xml_globals.h"

class TableTest : public ParseTest {
protected:
    typedef std::function<void(const RDB_REPORT*)> INSPECTOR;

    // Parses `xml`, and calls `inspect` with the report when the driver
    // prints its totals: the report is complete then and still exists, even
    // when the parse goes on to return null.
    REPORT_PTR parse_text_inspecting(const std::string& xml, const INSPECTOR& inspect,
                                     const PARSE_OPTIONS& options = PARSE_OPTIONS())
    {
        int inspected = 0;
        msg_set_sink([this, &inspect, &inspected](const char* tag, const char* text) {
            m_messages.push_back(std::string(tag) + ": " + text);
            if (std::strncmp(text, "Parsing resulted in", 19) == 0 && rdb_xml_report != nullptr) {
                inspect(rdb_xml_report);
                ++inspected;
            }
        });
        REPORT_PTR report = parse_text(xml, options);
        msg_set_sink([this](const char* tag, const char* text) {
            m_messages.push_back(std::string(tag) + ": " + text);
        });
        EXPECT_EQ(inspected, 1) << "the report was not there to inspect";
        return report;
    }

    // The i-th object of the main folder as a table; null when it is none.
    static RDB_TABLE_OBJECT* table_at(const RDB_REPORT* report, std::size_t i)
    {
        RDB_FOLDER_OBJECT* main_folder = report != nullptr ? report->get_main_folder() : nullptr;
        return main_folder != nullptr ? dynamic_cast<RDB_TABLE_OBJECT*>(main_folder->get_object(i)) : nullptr;
    }
    static RDB_TABLE_OBJECT* table_at(const REPORT_PTR& report, std::size_t i) { return table_at(report.get(), i); }

    // A file of tests/data.
    static std::string table_data(const std::string& name)
    {
        return std::string(RDBXML_SOURCE_DIR) + "/tests/data/" + name;
    }

    static std::string table_report(const std::string& body)
    {
        return "<report><folders><root name=\"main\"/></folders>" + body + "</report>";
    }
};
