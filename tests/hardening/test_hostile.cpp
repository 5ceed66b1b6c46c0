// Hostile report files: each one ends without a crash, a hang or a leak,
// with a clear message, and reads nothing but the report file itself. Every
// test runs with and without validation.
#include <sys/stat.h>

#include <random>

#include "parse_fixture.h"
#include "probes.h"
#include "rdb_xml_reader_guard.h"

namespace {

const char* const FOLDERS = "<folders><root name=\"main\"/></folders>";
const char* const SECRET = "SECRET-CONTENT-7f3a";

// A report of one text object after `prolog`: `body` is its text, or with
// `in_name` its name.
std::string text_report(const std::string& prolog, const std::string& body, bool in_name = false)
{
    return "<?xml version=\"1.0\"?>\n" + prolog + "\n<report>" + FOLDERS + "<text name=\"" + (in_name ? body : "t") +
           "\" parent=\"main\" enabled=\"true\"><ascii_text>" + (in_name ? "" : body) +
           "</ascii_text></text></report>\n";
}

// A report whose text refers `references` times to an entity of `length`
// characters.
std::string amplifying_report(std::size_t length, int references, bool in_name)
{
    std::string refs;
    for (int i = 0; i < references; ++i)
        refs += "&big;";
    return text_report("<!DOCTYPE report [<!ENTITY big \"" + std::string(length, 'b') + "\">]>", refs, in_name);
}

// A report of one text object holding elements `depth` deep.
std::string nested_report(int depth)
{
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    return "<report>" + std::string(FOLDERS) + "<text name=\"t\" parent=\"main\">" + open + close + "</text></report>";
}

class HostileTest : public ParseTest, public ::testing::WithParamInterface<bool> {
protected:
    REPORT_PTR parse(const std::string& xml) { return parse_text(xml, options()); }
    PARSE_OPTIONS options() const
    {
        PARSE_OPTIONS o;
        o.use_schema = GetParam();
        return o;
    }
    // The text of the report's one text object.
    static std::string text_of(const REPORT_PTR& report)
    {
        const auto* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
        return text->get_text() != nullptr ? text->get_text()->c_str() : "(none)";
    }
    // Parses `xml` and checks what every refused file gives: no report, the
    // refusal named, a fatal error, and nothing of the secret anywhere.
    void expect_refused(const std::string& xml, const std::string& resource)
    {
        REPORT_PTR report = parse(xml);
        EXPECT_EQ(report.get(), nullptr);
        EXPECT_TRUE(has_message("RDB_XML: Refused to read external resource: " + resource)) << dump();
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
        EXPECT_EQ(count_messages_with(SECRET), 0);
    }
    // Parses `xml`, which must give no report for the reason in `message`.
    void expect_stopped(const std::string& xml, const std::string& message)
    {
        EXPECT_EQ(parse(xml).get(), nullptr);
        EXPECT_GE(count_messages_with(message), 1) << dump();
    }
    std::string dump() const
    {
        std::string all;
        for (const std::string& m : m_messages)
            all += m.substr(0, 300) + "\n";
        return all;
    }
};

TEST_P(HostileTest, LocalFilesNamedByEntitiesOrDtdsAreNotRead)
{
    std::string secret = write_file("secret.txt", SECRET);
    std::string dtd = write_file("report.dtd", "<!ENTITY secret \"" + std::string(SECRET) + "\">");
    OPEN_PROBE probe({secret, dtd});
    ASSERT_TRUE(probe.ok());
    for (const std::string& id : {"file://" + secret, secret, std::string("secret.txt")})
        expect_refused(text_report("<!DOCTYPE report [<!ENTITY secret SYSTEM \"" + id + "\">]>", "&secret;"), id);
    expect_refused(text_report("<!DOCTYPE report SYSTEM \"" + dtd + "\">", "x"), dtd);
    // A parameter entity that would pull in the same declarations.
    expect_refused(text_report("<!DOCTYPE report [<!ENTITY % d SYSTEM \"" + dtd + "\"> %d;]>", "&secret;"), dtd);
    EXPECT_EQ(probe.accesses(), 0);
}

TEST_P(HostileTest, UrlsAreNeverFetched)
{
    TCP_PROBE listener;
    ASSERT_TRUE(listener.ok());
    const std::string url = listener.url("/report.dtd");
    for (std::string prolog : {"<!DOCTYPE report [<!ENTITY e SYSTEM \"URL\">]>", "<!DOCTYPE report SYSTEM \"URL\">",
                               "<!DOCTYPE report [<!ENTITY % p SYSTEM \"URL\"> %p;]>"}) {
        std::string body = prolog.find("ENTITY e") != std::string::npos ? "&e;" : "x";
        std::string xml = text_report(prolog.replace(prolog.find("URL"), 3, url), body);
        EXPECT_EQ(listener.connections_during([&] { expect_refused(xml, url); }), 0) << prolog;
    }

    // A schema the document names is not fetched either: the reader keeps to
    // the one beside the library, which still loads and validates.
    REPORT_PTR report;
    std::string hint = "<report xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                       "xsi:noNamespaceSchemaLocation=\"" +
                       listener.url("/evil.xsd") + "\">" + FOLDERS + "</report>";
    EXPECT_EQ(listener.connections_during([&] { report = parse(hint); }), 0);
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings")) << dump();
    if (GetParam())
        expect_stopped("<report><bogus/></report>", "RDB_XML: Error: ");
}

TEST_P(HostileTest, EntityExpansionIsBoundedInTextAndAttributes)
{
    EXPECT_EQ(parse_file(data_file("hostile_billion_laughs.xml"), options()).get(), nullptr);
    EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    EXPECT_GE(count_messages_with("entity expansion"), 1) << dump();

    // Up to the limit every reference is read; the predefined entities and
    // character references never count.
    const int limit = static_cast<int>(RDB_XML_READER_GUARD::ENTITY_EXPANSION_LIMIT);
    std::string body, expected;
    for (int i = 0; i < limit; ++i) {
        body += "&e;&lt;&#233;";
        expected += "x<\xC3\xA9";
    }
    REPORT_PTR report = parse(text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body));
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_EQ(text_of(report), expected);
    for (bool in_name : {false, true})
        expect_stopped(text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body + "&e;", in_name),
                       "entity expansion");
}

TEST_P(HostileTest, InternalEntitiesStillExpand)
{
    REPORT_PTR report = parse_file(data_file("hostile_internal_entities.xml"), options());
    ASSERT_NE(report, nullptr) << dump();
    const RDB_TEXT_OBJECT* text = static_cast<const RDB_TEXT_OBJECT*>(report->get_main_folder()->get_object(0));
    EXPECT_EQ(std::string(text->get_name().c_str()), "Notes by the \"core\" team");
    EXPECT_EQ(std::string(text->get_header()->c_str()), "<Notes> & more");
    EXPECT_EQ(text_of(report), "Checked \xE2\x80\x94 the \"core\" team.");
}

TEST_P(HostileTest, LongEntitiesEndTheParse)
{
    const std::size_t longest = RDB_XML_READER_LIMITS::MAX_ENTITY_LENGTH;
    REPORT_PTR report = parse(amplifying_report(longest, 3, false));
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_EQ(text_of(report), std::string(3 * longest, 'b'));
    // 1500 references to 100 000 characters would make 150 million, from a
    // file of a few kilobytes.
    for (bool in_name : {false, true})
        expect_stopped(amplifying_report(100000, 1500, in_name),
                       "RDB_XML: Xerces Exception: Entity 'big' holds 100000 characters, more than the " +
                           std::to_string(longest) + " an entity may hold");
    expect_stopped(amplifying_report(longest + 1, 1, false), "an entity may hold");
}

TEST_P(HostileTest, NestingIsReadUpToTheLimit)
{
    // The document element and the text element count too.
    const int depth = static_cast<int>(RDB_XML_READER_LIMITS::MAX_DEPTH) - 2;
    REPORT_PTR report = parse(nested_report(depth));
    // With the schema "a" is no element of a report, but the file is read
    // to its end.
    EXPECT_EQ(report != nullptr, !GetParam()) << dump();
    EXPECT_EQ(count_messages_with("Xerces Exception"), 0) << dump();
    const std::string too_deep = "RDB_XML: Xerces Exception: Elements nested deeper than " +
                                 std::to_string(RDB_XML_READER_LIMITS::MAX_DEPTH) + " levels";
    for (int beyond : {depth + 1, 100000})
        expect_stopped(nested_report(beyond), too_deep);
}

TEST_P(HostileTest, AttributeOfTenMegabytes)
{
    std::string name(10 << 20, 'n');
    name[0] = 'N';
    REPORT_PTR report = parse(text_report("", name, true));
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_EQ(std::string(report->get_main_folder()->get_object(0)->get_name().c_str()), name);
}

TEST_P(HostileTest, UnreadableFilesGiveNullReport)
{
    // Garbage, plain and behind each compressed format's magic number, so
    // that every decoder meets it.
    std::vector<std::string> files;
    std::mt19937 random(12345);
    const std::string magic_numbers[] = {"", std::string("\x1f\x8b\x08\x00", 4), "\x28\xb5\x2f\xfd",
                                         std::string("\xfd\x37zXZ\0", 6), "<report>"};
    for (const std::string& magic : magic_numbers) {
        std::string bytes = magic;
        for (int i = 0; i < 65536; ++i)
            bytes += static_cast<char>(random() & 0xFF);
        files.push_back(bytes);
    }
    // A long report compressed, then cut short or damaged in its data, its
    // checksum and its length.
    std::string body;
    for (int i = 0; i < 20000; ++i)
        body += "line " + std::to_string(i) + " of the notes\n";
    std::string packed = gzip_bytes(text_report("", body));
    for (std::size_t keep : {packed.size() / 2, packed.size() - 9, std::size_t(12)})
        files.push_back(packed.substr(0, keep));
    for (std::size_t at : {packed.size() / 2, packed.size() - 6, packed.size() - 2}) {
        files.push_back(packed);
        files.back()[at] = static_cast<char>(files.back()[at] ^ 0x5A);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(parse_file(write_file("bad" + std::to_string(i) + ".xml.gz", files[i]), options()).get(), nullptr);
        EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << i << "\n" << dump();
    }
    // An empty file, a directory and no file at all: one message each.
    std::string directory = m_scratch + "/dir.xml";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    for (const std::string& path : {write_file("empty.xml", ""), directory, m_scratch + "/missing.xml"}) {
        EXPECT_EQ(parse_file(path, options()).get(), nullptr);
        EXPECT_EQ(count_messages_with("RDB_XML: Fatal Error: "), 1) << path << "\n" << dump();
    }
}

INSTANTIATE_TEST_SUITE_P(Validation, HostileTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Schema") : std::string("NoSchema");
                         });

}  // namespace
