// What a host writes against a parsed report: range-for over folders, rows
// and cells, const access all the way down, the two-argument cell lookup,
// instance paths as written, gauges, and the conveniences over them: strings
// meeting std::string, column lookup, gauges and cells by kind, data rows.
#include <optional>
#include <utility>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

#include <rdbxml/rdb_html_writer.h>
#include <rdbxml/rdb_text_writer.h>
#include "parse_fixture.h"

namespace {

// Every object below `folder`, depth first, through the ranges only.
void collect(const RDB_FOLDER_OBJECT& folder, std::vector<const RDB_OBJECT*>& out)
{
    for (const RDB_OBJECT* object : folder.objects()) {
        out.push_back(object);
        if (const RDB_FOLDER_OBJECT* sub = object->dynamic_cast_to_RDB_FOLDER_OBJECT())
            collect(*sub, out);
    }
}

// A const walk hands out pointers to const only.
static_assert(std::is_same<decltype(*std::declval<const RDB_FOLDER_OBJECT&>().objects().begin()),
                           const RDB_OBJECT*>::value);
static_assert(std::is_same<decltype(*std::declval<const RDB_TABLE_OBJECT&>().rows().begin()),
                           const RDB_TABLE_ROW*>::value);
static_assert(std::is_same<decltype(*std::declval<const RDB_TABLE_OBJECT&>().data_rows().begin()),
                           const RDB_TABLE_ROW*>::value);
static_assert(std::is_same<decltype(*std::declval<RDB_TABLE_OBJECT&>().data_rows().begin()), RDB_TABLE_ROW*>::value);
static_assert(std::is_same<decltype(*std::declval<const RDB_TABLE_ROW&>().begin()), const RDB_TABLE_ELEMENT*>::value);
static_assert(std::is_same<decltype(std::declval<const RDB_REPORT&>().get_main_folder()),
                           const RDB_FOLDER_OBJECT*>::value);
static_assert(std::is_same<decltype(std::declval<const RDB_TABLE_OBJECT&>().get_element(0u, 0u)),
                           const RDB_TABLE_ELEMENT*>::value);
static_assert(std::is_same<decltype(std::declval<const RDB_OBJECT&>().dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT()),
                           const RDB_TAN_SLACK_TABLE_OBJECT*>::value);

}  // namespace

TEST_F(ParseTest, RangesWalkWhatTheIndexedGettersReach)
{
    REPORT_PTR parsed = parse_file(example_file("report.xml"));
    ASSERT_NE(parsed, nullptr);
    const RDB_REPORT& report = *parsed;
    std::vector<const RDB_OBJECT*> objects;
    collect(*report.get_main_folder(), objects);

    int tables = 0, slack_tables = 0;
    for (const RDB_OBJECT* object : objects) {
        if (object->dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT() != nullptr)
            ++slack_tables;
        const auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(object);
        if (table == nullptr)
            continue;
        ++tables;
        unsigned r = 0;
        for (const RDB_TABLE_ROW* row : table->rows()) {
            ASSERT_EQ(row, table->get_row(r));
            unsigned c = 0;
            for (const RDB_TABLE_ELEMENT* cell : *row) {
                EXPECT_EQ(cell, table->get_element(r, c)) << table->get_name() << " row " << r << " column " << c;
                ++c;
            }
            EXPECT_EQ(c, row->size());
            EXPECT_EQ(table->get_element(r, c), nullptr);
            ++r;
        }
        EXPECT_EQ(r, table->get_number_of_rows());
        EXPECT_TRUE(table->rows().empty() == (r == 0));
    }
    // The example holds every kind: the walk must have reached them.
    EXPECT_GE(tables, 4);
    EXPECT_EQ(slack_tables, 1);
    std::size_t direct = 0;
    for (const RDB_OBJECT* object : report.get_main_folder()->objects()) {
        EXPECT_EQ(object, report.get_main_folder()->get_object(direct));
        ++direct;
    }
    EXPECT_EQ(direct, report.get_main_folder()->get_number_of_objects());
}

TEST_F(ParseTest, InstancePathsShowAsWrittenWhenNoHierarchyResolvesThem)
{
    // Read without a hierarchy: no instance resolves.
    REPORT_PTR report = parse_text(report_with("<table name=\"t\" parent=\"main\"><row>"
                                               "<iname_cell>cpu/alu/acc_reg</iname_cell><iname_cell></iname_cell>"
                                               "</row></table>"));
    ASSERT_NE(report, nullptr);
    const auto* table = static_cast<const RDB_TABLE_OBJECT*>(report->get_main_folder()->get_object(0));
    const auto* cell = static_cast<const RDB_TABLE_INAME_ELEMENT*>(table->get_element(0, 0));
    EXPECT_EQ(cell->get_iname(), nullptr);
    EXPECT_EQ(cell->get_path(), "cpu/alu/acc_reg");

    std::ostringstream text, page;
    rdb_write_text(report.get(), text);
    EXPECT_NE(text.str().find("cpu/alu/acc_reg"), std::string::npos) << text.str();
    rdb_write_html(report.get(), page, "t.xml");
    EXPECT_NE(page.str().find("cpu/alu/acc_reg"), std::string::npos);
    const std::string json = json_of(report.get());
    EXPECT_NE(json.find("{\"type\":\"iname\",\"instance\":null,\"path\":\"cpu/alu/acc_reg\"}"), std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"type\":\"iname\",\"instance\":null,\"path\":\"\"}"), std::string::npos) << json;
}

TEST_F(ParseTest, GaugesReadThroughTheirGetters)
{
    REPORT_PTR report = parse_text(report_with(
        "<summary name=\"s\" parent=\"main\"><gauges>"
        "<gauge name=\"g\" percent=\"false\" enabled=\"true\"><min>-3</min><max>90</max><value>41</value></gauge>"
        "</gauges></summary>"));
    ASSERT_NE(report, nullptr);
    const auto* summary = static_cast<const RDB_SUMMARY_TABLE_OBJECT*>(report->get_main_folder()->get_object(0));
    ASSERT_NE(summary->get_gauges(), nullptr);
    const RDB_GAUGES_DATA_ELEMENT* gauge = summary->get_gauges()->get_data_at(0);
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->get_min(), -3);
    EXPECT_EQ(gauge->get_max(), 90);
    EXPECT_EQ(gauge->get_value(), 41);
}

TEST_F(ParseTest, HostStringsMeetStdString)
{
    static_assert(std::is_convertible<const STL_STRING&, std::string>::value);
    static_assert(std::is_convertible<const STL_STRING&, std::string_view>::value);
    static_assert(std::is_same<decltype(STL_STRING() + STL_STRING()), std::string>::value);
    // A name kept outside the string (past 15 bytes) and one inside it.
    REPORT_PTR report = parse_text(report_with("<table name=\"a table named past 15 bytes\" parent=\"main\"/>"
                                               "<table name=\"b\" parent=\"main\"/>"));
    ASSERT_NE(report, nullptr);
    const STL_STRING& longer = report->get_main_folder()->get_object(0)->get_name();
    const STL_STRING& shorter = report->get_main_folder()->get_object(1)->get_name();
    std::string copied = longer;
    std::string direct(shorter);
    EXPECT_EQ(copied, "a table named past 15 bytes");
    EXPECT_EQ(direct, "b");

    const std::string a = "a", b = "b", bb = "bb", accented = "\xc3\xa9";
    EXPECT_TRUE(shorter == b && b == shorter && !(shorter != b) && !(b != shorter));
    EXPECT_TRUE(shorter != a && a != shorter && !(shorter == a) && !(a == shorter));
    // Byte-wise: a prefix first, and bytes above 0x7f after ASCII.
    EXPECT_TRUE(a < longer && longer < b && shorter < bb && shorter < accented);
    EXPECT_FALSE(longer < a || b < longer || bb < shorter || accented < shorter || shorter < b || b < shorter);

    EXPECT_EQ(shorter + longer, "ba table named past 15 bytes");
    EXPECT_EQ(longer + "/" + shorter, "a table named past 15 bytes/b");
    EXPECT_EQ("/" + shorter, "/b");
    EXPECT_EQ(shorter + bb, "bbb");
    EXPECT_EQ(bb + shorter, "bbb");
}

TEST_F(ParseTest, HostColumnsAreFoundByType)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    ASSERT_NE(report, nullptr);
    const auto* slack = find_object<RDB_TAN_SLACK_TABLE_OBJECT>(report, "Setup slack");
    ASSERT_NE(slack, nullptr);
    // Column 0 is a column: only find_column tells it from none.
    EXPECT_EQ(slack->find_column(RDB_SLACK_COLUMN_SLACK), std::optional<unsigned>(0));
    EXPECT_EQ(slack->find_column(RDB_SLACK_COLUMN_TO), std::optional<unsigned>(2));
    EXPECT_EQ(slack->find_column(RDB_SLACK_COLUMN_TO_CLOCK), std::nullopt);
    EXPECT_EQ(slack->find_column(RDB_SLACK_COLUMN_UNKNOWN), std::nullopt);
    // The id is the cell's index in a row.
    const RDB_TABLE_ELEMENT* to = slack->get_element(1, *slack->find_column(RDB_SLACK_COLUMN_TO));
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(rdb_cell_text(*to), "cpu/regfile/r0");
}

TEST_F(ParseTest, HostGaugesAreFoundByName)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    ASSERT_NE(report, nullptr);
    auto* summary = const_cast<RDB_SUMMARY_TABLE_OBJECT*>(
        find_object<RDB_SUMMARY_TABLE_OBJECT>(report, "Flow summary"));
    ASSERT_NE(summary, nullptr);
    const RDB_SUMMARY_TABLE_OBJECT& read_only = *summary;
    static_assert(std::is_same<decltype(read_only.find_gauge("")), const RDB_GAUGES_DATA_ELEMENT*>::value);
    static_assert(std::is_same<decltype(summary->find_gauge("")), RDB_GAUGES_DATA_ELEMENT*>::value);
    const RDB_GAUGES_DATA_ELEMENT* pins = read_only.find_gauge("Pins");
    ASSERT_NE(pins, nullptr);
    EXPECT_EQ(pins->get_max(), 320);
    EXPECT_EQ(summary->find_gauge(std::string("Memory bits")), summary->get_gauges()->get_data_at(1));
    EXPECT_EQ(read_only.find_gauge("pins"), nullptr);
    EXPECT_EQ(read_only.find_gauge("Pin"), nullptr);

    // Of two gauges of one name the first; a summary without gauges has none.
    REPORT_PTR other = parse_text(report_with(
        "<summary name=\"twice\" parent=\"main\"><gauges>"
        "<gauge name=\"g\"><min>0</min><max>9</max><value>1</value></gauge>"
        "<gauge name=\"g\"><min>0</min><max>9</max><value>2</value></gauge>"
        "</gauges></summary><summary name=\"none\" parent=\"main\"/>"));
    ASSERT_NE(other, nullptr);
    const auto* twice = find_object<RDB_SUMMARY_TABLE_OBJECT>(other, "twice");
    ASSERT_NE(twice->find_gauge("g"), nullptr);
    EXPECT_EQ(twice->find_gauge("g")->get_value(), 1);
    EXPECT_EQ(find_object<RDB_SUMMARY_TABLE_OBJECT>(other, "none")->find_gauge("g"), nullptr);
}

TEST_F(ParseTest, HostCellsAreReadAsTheirKind)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    ASSERT_NE(report, nullptr);
    const auto* slack = find_object<RDB_TAN_SLACK_TABLE_OBJECT>(report, "Setup slack");
    ASSERT_NE(slack, nullptr);
    // The row: a delay, two instance names, a string, an integer.
    const RDB_TABLE_ROW& row = *slack->get_row(1);
    ASSERT_EQ(row.size(), 5u);
    ASSERT_NE(row[0]->as_delay(), nullptr);
    EXPECT_EQ(row[0]->as_delay()->get_delay(), -120);
    ASSERT_NE(row[1]->as_iname(), nullptr);
    EXPECT_EQ(row[1]->as_iname()->get_path(), "cpu/alu/acc_reg");
    ASSERT_NE(row[3]->as_string(), nullptr);
    EXPECT_EQ(row[3]->as_string()->get_string(), "clk_core");
    ASSERT_NE(row[4]->as_int(), nullptr);
    EXPECT_EQ(row[4]->as_int()->get_data(), 14);
    // Every other kind is null, const and not.
    auto kinds = [](auto* cell) {
        return (cell->as_string() != nullptr) + (cell->as_int() != nullptr) + (cell->as_delay() != nullptr) +
               (cell->as_iname() != nullptr);
    };
    for (RDB_TABLE_ELEMENT* cell : {row[0], row[1], row[3], row[4]}) {
        EXPECT_EQ(kinds(cell), 1) << cell->get_type();
        EXPECT_EQ(kinds(static_cast<const RDB_TABLE_ELEMENT*>(cell)), 1) << cell->get_type();
    }
}

TEST_F(ParseTest, HostDataRowsLeaveTheHeadingRowOut)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    ASSERT_NE(report, nullptr);
    // Column titles, then two rows; a summary's rows are all data; a chart's
    // first row is blank.
    const std::pair<const char*, std::size_t> tables[] = {
        {"Clocks", 2}, {"Flow summary", 4}, {"Slack histogram", 5}};
    for (const auto& [name, count] : tables) {
        auto* table = const_cast<RDB_TABLE_OBJECT*>(find_object<RDB_TABLE_OBJECT>(report, name));
        ASSERT_NE(table, nullptr) << name;
        const RDB_TABLE_OBJECT& read_only = *table;
        ASSERT_EQ(read_only.data_rows().size(), count) << name;
        // The data rows are the last ones, in order.
        unsigned r = table->get_number_of_rows() - static_cast<unsigned>(count);
        EXPECT_EQ(r, table->get_first_data_row()) << name;
        for (const RDB_TABLE_ROW* row : read_only.data_rows())
            EXPECT_EQ(row, table->get_row(r++)) << name;
        ASSERT_EQ(table->data_rows().size(), count) << name;
        EXPECT_EQ(table->data_rows()[count - 1], table->get_row(r - 1)) << name;
    }
}
