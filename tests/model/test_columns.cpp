// A table's columns as CSV files and data frames name them, and delays as
// numbers: in each column's first unit, or in one unit asked for, so that
// the names and numbers are the same from run to run.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

namespace {

const RDB_TABLE_OBJECT* table_named(const RDB_FOLDER_OBJECT& folder, const std::string& name)
{
    for (unsigned i = 0; i < folder.get_number_of_objects(); ++i) {
        const RDB_OBJECT* object = folder.get_object(i);
        if (object == nullptr)
            continue;
        if (const RDB_FOLDER_OBJECT* nested = object->dynamic_cast_to_RDB_FOLDER_OBJECT()) {
            if (const RDB_TABLE_OBJECT* found = table_named(*nested, name))
                return found;
        } else if (object->get_name().view() == name) {
            return dynamic_cast<const RDB_TABLE_OBJECT*>(object);
        }
    }
    return nullptr;
}

// Each column as "title=unit".
std::vector<std::string> described(const std::vector<RDB_TABLE_COLUMN>& columns)
{
    std::vector<std::string> lines;
    for (const RDB_TABLE_COLUMN& column : columns)
        lines.push_back(column.m_title + "=" + std::to_string(column.m_delay_unit));
    return lines;
}

typedef std::vector<std::string> LINES;

}  // namespace

TEST(TableColumns, DelaysInTheirFirstUnitOrInTheOneAskedFor)
{
    std::unique_ptr<RDB_REPORT> report(
        rdb_xml_parse(RDBXML_TEST_DATA_DIR "/metrics_report.xml", nullptr, false, false, true, true, false));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* setup = table_named(*report->get_main_folder(), "Setup");
    const RDB_TABLE_OBJECT* hold = table_named(*report->get_main_folder(), "Hold");
    ASSERT_NE(setup, nullptr);
    ASSERT_NE(hold, nullptr);
    const std::string ps = std::to_string(RDB_DELAY_DISPLAY_PS);
    const std::string ns = std::to_string(RDB_DELAY_DISPLAY_NS);
    const std::string mhz = std::to_string(RDB_DELAY_DISPLAY_MHZ);

    // The margins are shown in ps first, the hold slacks in ns.
    EXPECT_EQ(described(rdb_table_columns(*setup)), (LINES{"From=-1", "Margin (ps)=" + ps, "Levels=-1"}));
    EXPECT_EQ(described(rdb_table_columns(*hold)), (LINES{"Clock=-1", " SLACK  (ns)=" + ns}));
    // Asked for one unit, every delay column has it, whatever comes first;
    // an option outside the enumeration is ns.
    EXPECT_EQ(described(rdb_table_columns_in_unit(*hold, RDB_DELAY_DISPLAY_PS)),
              (LINES{"Clock=-1", " SLACK  (ps)=" + ps}));
    EXPECT_EQ(described(rdb_table_columns_in_unit(*setup, RDB_DELAY_DISPLAY_MHZ)),
              (LINES{"From=-1", "Margin (MHz)=" + mhz, "Levels=-1"}));
    EXPECT_EQ(described(rdb_table_columns_in_unit(*setup, RDB_DELAY_DISPLAY_UNKNOWN)),
              (LINES{"From=-1", "Margin (ns)=" + ns, "Levels=-1"}));
}

TEST(TableColumns, ADelayAsANumberInAUnit)
{
    double number = 7;
    ASSERT_TRUE(rdb_delay_number(-120, RDB_DELAY_DISPLAY_PS, number));
    EXPECT_EQ(number, -120);
    ASSERT_TRUE(rdb_delay_number(-120, RDB_DELAY_DISPLAY_NS, number));
    EXPECT_DOUBLE_EQ(number, -0.12);
    ASSERT_TRUE(rdb_delay_number(1500, RDB_DELAY_DISPLAY_UNKNOWN, number));
    EXPECT_DOUBLE_EQ(number, 1.5);
    ASSERT_TRUE(rdb_delay_number(2500, RDB_DELAY_DISPLAY_MHZ, number));
    EXPECT_DOUBLE_EQ(number, 400);
    // A period of 0 or less has no frequency: nothing, not a number.
    number = 7;
    EXPECT_FALSE(rdb_delay_number(0, RDB_DELAY_DISPLAY_MHZ, number));
    EXPECT_FALSE(rdb_delay_number(-500, RDB_DELAY_DISPLAY_MHZ, number));
    EXPECT_EQ(number, 7);
}
