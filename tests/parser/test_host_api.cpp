// What a host writes against a parsed report: range-for over folders, rows
// and cells, const access all the way down, the two-argument cell lookup,
// instance paths as written, gauges, and names meeting std::string.
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
    EXPECT_TRUE(longer != a && a != longer && !(longer == a) && !(a == longer));
    // Byte-wise: a prefix first, and bytes above 0x7f after ASCII.
    EXPECT_TRUE(a < longer && longer < b && shorter < bb && shorter < accented);
    EXPECT_FALSE(longer < a || b < longer || bb < shorter || accented < shorter);

    EXPECT_EQ(shorter + longer, "ba table named past 15 bytes");
    EXPECT_EQ(longer + "/" + shorter, "a table named past 15 bytes/b");
    EXPECT_EQ("/" + shorter, "/b");
    EXPECT_EQ(shorter + bb, "bbb");
    EXPECT_EQ(bb + shorter, "bbb");
}
