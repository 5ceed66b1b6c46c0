// Hostile report files: each one ends without a crash, a hang or a leak,
// with a clear message, and reads nothing but the report file itself.
#include <sys/stat.h>

#include <random>

#include "parse_fixture.h"
#include "probes.h"
#include "rdb_xml_reader_guard.h"

namespace {

const char* const FOLDERS = "<folders><root name=\"main\"/></folders>";

// A report of one text object whose body is `body`, after `prolog`.
std::string text_report(const std::string& prolog, const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n" + prolog + "\n<report>" + FOLDERS +
           "<text name=\"t\" parent=\"main\" enabled=\"true\"><ascii_text>" + body + "</ascii_text></text></report>\n";
}

PARSE_OPTIONS schema_option(bool on)
{
    PARSE_OPTIONS o;
    o.use_schema = on;
    return o;
}

class HostileTest : public ParseTest, public ::testing::WithParamInterface<bool> {
protected:
    // Parses `xml` with validation as the test parameter says, and checks
    // the outcome every refused file has: no report, the refusal named.
    // Returns the JSON of what the parse gave.
    std::string expect_refused(const std::string& xml, const std::string& resource)
    {
        REPORT_PTR report = parse_text(xml, schema_option(GetParam()));
        EXPECT_EQ(report.get(), nullptr);
        EXPECT_TRUE(has_message("RDB_XML: Refused to read external resource: " + resource)) << dump();
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
        return json_of(report.get());
    }

    std::string dump() const
    {
        std::string all;
        for (const std::string& m : m_messages)
            all += m.substr(0, 300) + "\n";
        return all;
    }
};

const char* const SECRET = "SECRET-CONTENT-7f3a";

TEST_P(HostileTest, ExternalEntityNamingLocalFileIsNotRead)
{
    std::string secret = write_file("secret.txt", SECRET);
    OPEN_PROBE probe({secret});
    ASSERT_TRUE(probe.ok());
    for (const std::string& id : {"file://" + secret, secret, std::string("secret.txt")}) {
        std::string xml = text_report("<!DOCTYPE report [<!ENTITY secret SYSTEM \"" + id + "\">]>", "&secret;");
        EXPECT_EQ(expect_refused(xml, id).find(SECRET), std::string::npos);
        EXPECT_EQ(count_messages_with(SECRET), 0);
    }
    EXPECT_EQ(probe.accesses(), 0);
}

TEST_P(HostileTest, ExternalDtdIsNotRead)
{
    std::string dtd = write_file("report.dtd", "<!ENTITY secret \"" + std::string(SECRET) + "\">");
    OPEN_PROBE probe({dtd});
    ASSERT_TRUE(probe.ok());
    expect_refused(text_report("<!DOCTYPE report SYSTEM \"" + dtd + "\">", "x"), dtd);
    // A parameter entity that would pull in the same declarations.
    expect_refused(text_report("<!DOCTYPE report [<!ENTITY % decls SYSTEM \"" + dtd + "\"> %decls;]>", "&secret;"),
                   dtd);
    EXPECT_EQ(count_messages_with(SECRET), 0);
    EXPECT_EQ(probe.accesses(), 0);
}

TEST_P(HostileTest, UrlsAreNeverFetched)
{
    TCP_PROBE listener;
    ASSERT_TRUE(listener.ok());
    std::vector<std::pair<std::string, std::string>> cases = {
        {text_report("<!DOCTYPE report [<!ENTITY e SYSTEM \"" + listener.url("/entity") + "\">]>", "&e;"),
         listener.url("/entity")},
        {text_report("<!DOCTYPE report SYSTEM \"" + listener.url("/report.dtd") + "\">", "x"),
         listener.url("/report.dtd")},
        {text_report("<!DOCTYPE report [<!ENTITY % p SYSTEM \"" + listener.url("/p.dtd") + "\"> %p;]>", "x"),
         listener.url("/p.dtd")},
    };
    for (const auto& c : cases) {
        int connections = listener.connections_during([&] { expect_refused(c.first, c.second); });
        EXPECT_EQ(connections, 0) << c.second;
    }
}

TEST_P(HostileTest, SchemaHintInTheDocumentIsNotFollowed)
{
    // The document names a schema of its own; the reader keeps to the one
    // beside the library, which still loads and validates.
    TCP_PROBE listener;
    ASSERT_TRUE(listener.ok());
    std::string xml = "<report xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                      "xsi:noNamespaceSchemaLocation=\"" +
                      listener.url("/evil.xsd") + "\">" + FOLDERS + "</report>";
    REPORT_PTR report;
    int connections =
        listener.connections_during([&] { report = parse_text(xml, schema_option(GetParam())); });
    EXPECT_EQ(connections, 0);
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings")) << dump();

    if (GetParam()) {
        // The bundled schema is in force: an unknown element is refused.
        EXPECT_EQ(parse_text("<report><bogus/></report>", schema_option(true)).get(), nullptr);
        EXPECT_GE(count_messages_with("RDB_XML: Error: "), 1);
    }
}

TEST_P(HostileTest, BillionLaughsEndsWithAnError)
{
    REPORT_PTR report = parse_file(std::string(RDBXML_SOURCE_DIR) + "/tests/data/hostile_billion_laughs.xml",
                                   schema_option(GetParam()));
    EXPECT_EQ(report.get(), nullptr);
    EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    EXPECT_GE(count_messages_with("entity expansion"), 1) << dump();
}

TEST_P(HostileTest, BillionLaughsInAnAttributeEndsWithAnError)
{
    std::string decls = "<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        decls += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            decls += "&l" + std::to_string(i - 1) + ";";
        decls += "\">";
    }
    std::string xml = "<!DOCTYPE report [" + decls + "]><report>" + FOLDERS +
                      "<text name=\"&l9;\" parent=\"main\"/></report>";
    EXPECT_EQ(parse_text(xml, schema_option(GetParam())).get(), nullptr);
    EXPECT_GE(count_messages_with("entity expansion"), 1) << dump();
}

TEST_P(HostileTest, InternalEntitiesStillExpand)
{
    REPORT_PTR report = parse_file(std::string(RDBXML_SOURCE_DIR) + "/tests/data/hostile_internal_entities.xml",
                                   schema_option(GetParam()));
    ASSERT_NE(report, nullptr) << dump();
    const RDB_TEXT_OBJECT* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
    EXPECT_EQ(std::string(text->get_name().c_str()), "Notes by the \"core\" team");
    EXPECT_EQ(std::string(text->get_header()->c_str()), "<Notes> & more");
    EXPECT_EQ(std::string(text->get_text()->c_str()), "Checked \xE2\x80\x94 the \"core\" team.");
}

TEST_P(HostileTest, ExpansionsUpToTheLimitAreRead)
{
    // Each reference is one expansion; the predefined entities and
    // character references never count.
    const int limit = static_cast<int>(RDB_XML_READER_GUARD::ENTITY_EXPANSION_LIMIT);
    auto report_with = [](int references) {
        std::string body;
        for (int i = 0; i < references; ++i)
            body += "&e;&lt;&#233;";
        return text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body);
    };
    REPORT_PTR report = parse_text(report_with(limit), schema_option(GetParam()));
    ASSERT_NE(report, nullptr) << dump();
    const RDB_TEXT_OBJECT* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
    std::string expected;
    for (int i = 0; i < limit; ++i)
        expected += "x<\xC3\xA9";
    EXPECT_EQ(std::string(text->get_text()->c_str()), expected);

    EXPECT_EQ(parse_text(report_with(limit + 1), schema_option(GetParam())).get(), nullptr);
    EXPECT_GE(count_messages_with("entity expansion"), 1) << dump();
}

// A report of one text object holding elements `depth` deep.
std::string nested_report(int depth)
{
    std::string xml = "<report>" + std::string(FOLDERS) + "<text name=\"t\" parent=\"main\">";
    xml.reserve(depth * 7 + 200);
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    return xml + "</text></report>";
}

const std::string TOO_DEEP = "RDB_XML: Xerces Exception: Elements nested deeper than " +
                             std::to_string(RDB_XML_READER_LIMITS::MAX_DEPTH) + " levels";

TEST_P(HostileTest, ElementsNestedHundredThousandDeepEndTheParse)
{
    REPORT_PTR report = parse_text(nested_report(100000), schema_option(GetParam()));
    EXPECT_EQ(report.get(), nullptr);
    EXPECT_TRUE(has_message(TOO_DEEP)) << dump();
}

TEST_P(HostileTest, NestingUpToTheLimitIsRead)
{
    // The document element and the text element count too.
    const int depth = static_cast<int>(RDB_XML_READER_LIMITS::MAX_DEPTH) - 2;
    REPORT_PTR report = parse_text(nested_report(depth), schema_option(GetParam()));
    if (GetParam()) {
        // "a" is no element of a report, but the file is read to its end.
        EXPECT_EQ(report.get(), nullptr);
        EXPECT_GE(count_messages_with("RDB_XML: Error: "), 1);
    } else {
        ASSERT_NE(report, nullptr) << dump();
        EXPECT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
    }
    EXPECT_EQ(count_messages_with("Xerces Exception"), 0) << dump();
    parse_text(nested_report(depth + 1), schema_option(GetParam()));
    EXPECT_TRUE(has_message(TOO_DEEP)) << dump();
}

// A report whose text body refers `references` times to an entity of
// `length` characters.
std::string amplifying_report(std::size_t length, int references, bool in_attribute)
{
    std::string refs;
    for (int i = 0; i < references; ++i)
        refs += "&big;";
    std::string prolog = "<!DOCTYPE report [<!ENTITY big \"" + std::string(length, 'b') + "\">]>";
    if (!in_attribute)
        return text_report(prolog, refs);
    return "<?xml version=\"1.0\"?>\n" + prolog + "<report>" + FOLDERS + "<text name=\"" + refs +
           "\" parent=\"main\"/></report>";
}

TEST_P(HostileTest, LongEntityReferredManyTimesEndsTheParse)
{
    // 1500 references to 100 000 characters would make 150 million, from a
    // file of a few kilobytes.
    for (bool in_attribute : {false, true}) {
        EXPECT_EQ(parse_text(amplifying_report(100000, 1500, in_attribute), schema_option(GetParam())).get(), nullptr);
        EXPECT_TRUE(has_message("RDB_XML: Xerces Exception: Entity 'big' holds 100000 characters, more than the " +
                                std::to_string(RDB_XML_READER_LIMITS::MAX_ENTITY_LENGTH) + " an entity may hold"))
            << dump();
    }
}

TEST_P(HostileTest, EntityOfTheLongestLengthIsRead)
{
    const std::size_t longest = RDB_XML_READER_LIMITS::MAX_ENTITY_LENGTH;
    REPORT_PTR report = parse_text(amplifying_report(longest, 3, false), schema_option(GetParam()));
    ASSERT_NE(report, nullptr) << dump();
    const RDB_TEXT_OBJECT* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
    ASSERT_NE(text->get_text(), nullptr);
    EXPECT_EQ(text->get_text()->size(), 3 * longest);
    EXPECT_EQ(parse_text(amplifying_report(longest + 1, 1, false), schema_option(GetParam())).get(), nullptr);
}

TEST_P(HostileTest, AttributeOfTenMegabytes)
{
    std::string name(10 << 20, 'n');
    name[0] = 'N';
    std::string xml = "<report>" + std::string(FOLDERS) + "<text name=\"" + name + "\" parent=\"main\" enabled=\"true\"/></report>";
    REPORT_PTR report = parse_text(xml, schema_option(GetParam()));
    ASSERT_NE(report, nullptr) << dump();
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
    EXPECT_EQ(std::string(report->get_main_folder()->get_object(0)->get_name().c_str()), name);
}

TEST_P(HostileTest, BinaryGarbageGivesNullReport)
{
    std::mt19937 random(12345);
    // Plain garbage, and garbage behind each compressed format's magic
    // number, so that every decoder meets it.
    for (const std::string& magic : {std::string(), std::string("\x1f\x8b\x08\x00", 4),
                                     std::string("\x28\xb5\x2f\xfd", 4), std::string("\xfd" "7zXZ\0", 6),
                                     std::string("<report>")}) {
        std::string bytes = magic;
        for (int i = 0; i < 65536; ++i)
            bytes += static_cast<char>(random() & 0xFF);
        REPORT_PTR report = parse_file(write_file("garbage.bin", bytes), schema_option(GetParam()));
        EXPECT_EQ(report.get(), nullptr);
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    }
}

TEST_P(HostileTest, EmptyFileAndDirectoryGiveNullReport)
{
    EXPECT_EQ(parse_text("", schema_option(GetParam())).get(), nullptr);
    EXPECT_EQ(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    std::string directory = m_scratch + "/dir.xml";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    EXPECT_EQ(parse_file(directory, schema_option(GetParam())).get(), nullptr);
    EXPECT_EQ(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
}

std::string long_report()
{
    std::string body;
    for (int i = 0; i < 20000; ++i)
        body += "line " + std::to_string(i) + " of the notes\n";
    return text_report("", body);
}

TEST_P(HostileTest, TruncatedGzipGivesNullReport)
{
    std::string packed = gzip_bytes(long_report());
    for (std::size_t keep : {packed.size() / 2, packed.size() - 9, std::size_t(12)}) {
        REPORT_PTR report = parse_file(write_file("cut.xml.gz", packed.substr(0, keep)), schema_option(GetParam()));
        EXPECT_EQ(report.get(), nullptr) << keep;
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    }
}

TEST_P(HostileTest, CorruptedGzipGivesNullReport)
{
    std::string packed = gzip_bytes(long_report());
    std::string middle = packed;
    for (std::size_t i = middle.size() / 2; i < middle.size() / 2 + 16; ++i)
        middle[i] = static_cast<char>(middle[i] ^ 0x5A);
    std::string checksum = packed;
    checksum[checksum.size() - 6] = static_cast<char>(checksum[checksum.size() - 6] ^ 1);
    std::string length = packed;
    length[length.size() - 2] = static_cast<char>(length[length.size() - 2] ^ 1);
    for (const std::string& bad : {middle, checksum, length}) {
        REPORT_PTR report = parse_file(write_file("bad.xml.gz", bad), schema_option(GetParam()));
        EXPECT_EQ(report.get(), nullptr);
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    }
}

INSTANTIATE_TEST_SUITE_P(Validation, HostileTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Schema") : std::string("NoSchema");
                         });

}  // namespace
