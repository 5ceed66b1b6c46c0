// Hostile report files: each one ends without a crash, a hang or a leak,
// with a clear message, and reads nothing but the report file itself. The
// tests run with and without validation, but for one it cannot change.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>

#include <rdbxml/rdb_xml.h>

#include "bounded_run.h"
#include "parse_fixture.h"
#include "rdb_bench_reports.h"
#include "rdb_xml_reader_guard.h"

namespace {

// Runs `work` on a thread of its own, given "http://127.0.0.1:PORT" of a
// TCP listener that meanwhile accepts and at once closes every connection
// (so that a client that did connect is not left waiting). Returns the
// number of connections made, -1 when no listener could be set up.
int probe_connections(const std::function<void(const std::string& url)>& work)
{
    int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(s, 16) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(s);
        return -1;
    }
    std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work(url);
        done = true;
    });
    int connections = 0;
    // A short poll sees the end of the work soon; one last round after it
    // catches a connection made at the very end.
    for (bool last = false; !last;) {
        last = done;
        pollfd p{s, POLLIN, 0};
        poll(&p, 1, last ? 0 : 20);
        for (int c; (c = accept4(s, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; ++connections)
            close(c);
    }
    worker.join();
    close(s);
    return connections;
}

// Runs `work` and returns the opens and reads of `paths` meanwhile, -1 when
// they could not be watched.
int probe_accesses(const std::vector<std::string>& paths, const std::function<void()>& work)
{
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    bool watching = fd >= 0;
    for (const std::string& path : paths)
        watching = watching && inotify_add_watch(fd, path.c_str(), IN_OPEN | IN_ACCESS) >= 0;
    work();
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; watching && (got = read(fd, buffer, sizeof(buffer))) > 0;)
        for (const char* at = buffer; at < buffer + got; ++count)
            at += sizeof(inotify_event) + reinterpret_cast<const inotify_event*>(at)->len;
    close(fd);
    return watching ? count : -1;
}

const char* const SECRET = "SECRET-CONTENT-7f3a";

std::string repeated(const std::string& text, std::size_t times)
{
    std::string all;
    while (times-- > 0)
        all += text;
    return all;
}

// A report of one text object after `prolog`: `body` is its text, or with
// `in_name` its name.
std::string text_report(const std::string& prolog, const std::string& body, bool in_name = false)
{
    return "<?xml version=\"1.0\"?>\n" + prolog + "\n<report><folders><root name=\"main\"/></folders><text name=\"" +
           (in_name ? body : "t") + "\" parent=\"main\"><ascii_text>" + (in_name ? "" : body) +
           "</ascii_text></text></report>\n";
}

// A report whose text refers `references` times to an entity of `length`
// characters.
std::string amplifying_report(std::size_t length, int references, bool in_name)
{
    return text_report("<!DOCTYPE report [<!ENTITY big \"" + std::string(length, 'b') + "\">]>",
                       repeated("&big;", references), in_name);
}

// A DTD of "b", 10 000 characters, and "mid", 500 references to it: over
// half of what entities may make in a small file. Then `more`.
std::string mid_doctype(const std::string& more = std::string())
{
    return "<!DOCTYPE report [<!ENTITY b \"" + std::string(10000, 'b') + "\"><!ENTITY mid \"" + repeated("&b;", 500) +
           "\">" + more + "]>";
}

class HostileTest : public ParseTest, public ::testing::WithParamInterface<bool> {
protected:
    PARSE_OPTIONS options() const
    {
        PARSE_OPTIONS o;
        o.use_schema = GetParam();
        return o;
    }
    REPORT_PTR parse(const std::string& xml) { return parse_text(xml, options()); }
    // Parses `xml`, which must give no report for the reason in `message`.
    void expect_stopped(const std::string& xml, const std::string& message)
    {
        EXPECT_EQ(parse(xml).get(), nullptr);
        EXPECT_GE(count_messages_with(message), 1) << dump();
    }
    // What every refused file gives: no report, the resource named, a fatal
    // error, and nothing of the secret anywhere.
    void expect_refused(const std::string& xml, const std::string& resource)
    {
        expect_stopped(xml, "RDB_XML: Fatal Error: ");
        EXPECT_TRUE(has_message("RDB_XML: Refused to read external resource: " + resource)) << dump();
        EXPECT_EQ(count_messages_with(SECRET), 0);
    }
};

TEST_P(HostileTest, ExternalEntitiesDtdsAndSchemasAreNeitherReadNorFetched)
{
    // Entities, the DTD and a parameter entity that would pull in the same
    // declarations, named by URL, absolute path or relative path.
    const char* const prologs[] = {"<!DOCTYPE report [<!ENTITY secret SYSTEM \"ID\">]>",
                                   "<!DOCTYPE report [<!ENTITY % p SYSTEM \"ID\"> %p;]>"};
    // The DTD a DOCTYPE names is never read (ExternalDtdIsNeitherOpenedNorNeeded):
    // without validation an entity only it could declare is passed over.
    auto refuse_all = [&](const std::vector<std::string>& ids) {
        for (std::string prolog : prologs)
            for (const std::string& id : ids)
                expect_refused(text_report(std::string(prolog).replace(prolog.find("ID"), 2, id), "&secret;"), id);
        for (const std::string& id : ids) {
            std::string xml = text_report("<!DOCTYPE report SYSTEM \"" + id + "\">", "&secret;");
            if (GetParam())
                expect_refused(xml, id);
            else
                EXPECT_NE(parse(xml), nullptr) << dump();
            EXPECT_EQ(count_messages_with(SECRET), 0);
        }
    };
    std::string secret = write_file("secret.txt", SECRET);
    std::string dtd = write_file("report.dtd", "<!ENTITY secret \"" + std::string(SECRET) + "\">");
    EXPECT_EQ(probe_accesses({secret, dtd}, [&] { refuse_all({"file://" + secret, dtd, "report.dtd"}); }), 0);
    EXPECT_EQ(probe_connections([&](const std::string& url) { refuse_all({url + "/report.dtd"}); }), 0);

    // A schema the document names is not fetched either: the reader keeps to
    // the one beside the library, which still loads and validates.
    REPORT_PTR report;
    EXPECT_EQ(probe_connections([&](const std::string& url) {
                  report = parse("<report xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                 "xsi:noNamespaceSchemaLocation=\"" + url + "/evil.xsd\"/>");
              }),
              0);
    EXPECT_NE(report, nullptr) << dump();
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings")) << dump();
    if (GetParam())
        expect_stopped("<report><bogus/></report>", "RDB_XML: Error: ");
}

TEST_P(HostileTest, ExternalDtdIsNeitherOpenedNorNeeded)
{
    // The DTD is a FIFO that nobody writes to: opening it would wait for
    // ever, so the parse runs in a process of its own, under an alarm that
    // only a parse that opened it meets. Without validation the report is
    // read without it; a validating parse asks for it and is refused it.
    const std::string fifo = m_scratch + "/report.dtd";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    auto parse_in_child = [&](const std::string& prolog, const std::string& body = "x&lt;y>") {
        std::string xml = write_file("report.xml", text_report(prolog, body));
        RDB_XML_OPTIONS options;
        options.m_use_schema = GetParam();
        BOUNDED_RUN run = bounded_run(
            [&] {
                alarm(30);
                RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(xml), options);
                bool said = false;
                for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
                    said = said || (d.m_severity == RDB_XML_DIAGNOSTIC::WARNING && d.m_line == 2 &&
                                    d.m_message.find("that the DOCTYPE names is not read") != std::string::npos);
                return result.m_report != nullptr && said;
            },
            60, 1024 << 20);
        return run.ok ? std::string("read") : run.outcome;
    };
    // By its name beside the report and by its path, with an internal
    // subset and without.
    const std::string read = GetParam() ? "exit 1: the work failed" : "read";
    for (const std::string& id : {std::string("report.dtd"), fifo}) {
        EXPECT_EQ(parse_in_child("<!DOCTYPE report SYSTEM \"" + id + "\">"), read) << id;
        EXPECT_EQ(parse_in_child("<!DOCTYPE report PUBLIC \"-//x//y//EN\" \"" + id + "\" [<!ENTITY e \"z\">]>"), read)
            << id;
    }
    // The same name as an entity after the DOCTYPE is refused as any other.
    EXPECT_EQ(parse_in_child("<!DOCTYPE report SYSTEM \"report.dtd\" [<!ENTITY e SYSTEM \"report.dtd\">]>", "&e;"),
              "exit 1: the work failed");
}

TEST_P(HostileTest, InternalEntitiesExpandAsOftenAndAsLongAsAReportNeeds)
{
    // In names, headers, text and cell colours.
    ASSERT_NE(parse_file(data_file("hostile_internal_entities.xml"), options()), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"name\":\"Notes by the \\\"core\\\" team\",\"header\":\"<Notes> & more\","
                             "\"text\":\"Checked \xE2\x80\x94 the \\\"core\\\" team.\"},"
                             "{\"rows\":[[{\"value\":\"late\",\"foreground\":\"#ff0000\",\"background\":\"#00ff80\"}]]}]"));

    // Ten thousand references, beside the predefined entities and character
    // references, which are no references the reader opens.
    const std::string body = repeated("&e;&lt;&#233;", 10000);
    const std::string expected = repeated("x<\xC3\xA9", 10000);
    ASSERT_NE(parse(text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body)), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"text\":\"" + expected + "\"}]"));
    ASSERT_NE(parse(text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body, true)), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"name\":\"" + expected + "\"}]"));

    // An entity of 100 000 characters, used a few times.
    for (bool in_name : {false, true}) {
        ASSERT_NE(parse(amplifying_report(100000, 3, in_name)), nullptr) << dump();
        EXPECT_TRUE(objects_hold(in_name ? "[{\"name\":\"" + std::string(300000, 'b') + "\"}]"
                                         : "[{\"text\":\"" + std::string(300000, 'b') + "\"}]"));
    }

    // What entities may make grows with the file: 150 references to it
    // make more than the least bound, but not a hundred times the megabyte
    // of text before them.
    std::string padded = amplifying_report(100000, 150, false);
    padded.insert(padded.find("<text "), "<text name=\"pad\" parent=\"main\"><ascii_text>" +
                                              std::string(1 << 20, 'p') + "</ascii_text></text>");
    ASSERT_NE(parse(padded), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"name\":\"pad\"},{\"text\":\"" + std::string(15000000, 'b') + "\"}]"));

    // Long values are no expansion, and the reader's buffer for this one
    // outgrows the least bound of its memory manager.
    std::string name(17 << 20, 'n');
    REPORT_PTR report = parse(text_report("", name, true));
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_TRUE(report->get_main_folder()->get_object(0)->get_name().c_str() == name);
}

TEST_P(HostileTest, BillionLaughsStopBeforeTheFirstLaugh)
{
    // Each level's cost is known once the levels below it are declared,
    // whatever the order; the fifth is already too much.
    for (const char* file : {"hostile_billion_laughs.xml", "hostile_billion_laughs_attribute.xml"}) {
        EXPECT_EQ(parse_file(data_file(file), options()).get(), nullptr) << file;
        EXPECT_EQ(count_messages_with("RDB_XML: Xerces Exception: Entity 'lol5' would expand to 29311076 "
                                      "characters, more than the 8388608 allowed from "),
                  1)
            << dump();
    }

    // The predefined entities are no references to wait for: levels that
    // hold one are still too much at their declaration, before the root
    // element's attributes, which are read before any other check.
    std::string levels = "<!ENTITY lol \"lol\">";
    for (int level = 1; level <= 9; ++level)
        levels += "<!ENTITY lol" + std::to_string(level) + " \"" +
                  repeated("&lol" + (level > 1 ? std::to_string(level - 1) : "") + ";&amp;", 10) + "\">";
    expect_stopped("<!DOCTYPE report [" + levels + "]><report name=\"&lol9;\"/>",
                   "RDB_XML: Xerces Exception: Entity 'lol5' would expand to 29866626 characters");

    // References count even to entities that make nothing: opening one is
    // work. Forty thousand of them, from two kilobytes, declared or written
    // in the text.
    const std::string empties = "<!DOCTYPE report [<!ENTITY e \"\"><!ENTITY k \"" + repeated("&e;", 100) + "\">";
    expect_stopped(text_report(empties + "<!ENTITY many \"" + repeated("&k;", 400) + "\">]>", "&many;"),
                   "RDB_XML: Xerces Exception: Entity 'many' would expand to 10463856 characters");
    expect_stopped(text_report(empties + "]>", repeated("&k;", 400)),
                   "RDB_XML: Xerces Exception: Entity 'k' would bring the text made by entities to 8396085 characters");

    // A reference to an entity never declared leaves the cost of those that
    // use it open until the elements begin, and then counts as nothing;
    // "top" is too much before its value is made.
    for (bool in_name : {false, true})
        expect_stopped(text_report(mid_doctype("<!ENTITY top \"&mid;&mid;&nowhere;\">"), "&top;", in_name),
                       "RDB_XML: Xerces Exception: Entity 'top' would expand to 10259787 characters");
}

TEST_P(HostileTest, QuadraticBlowUpStopsAtTheFirstReferenceTooMany)
{
    // 1500 references to 100 000 characters would make 150 million, from a
    // file of a hundred kilobytes. In text the reference that would pass
    // the bound is not opened.
    expect_stopped(amplifying_report(100000, 1500, false),
                   "RDB_XML: Xerces Exception: Entity 'big' would bring the text made by entities to ");
    EXPECT_EQ(count_messages_with("characters, more than the 10"), 1) << dump();
    // Nor is a reference whose whole expansion would pass it: the second
    // "mid" ends the parse, not one of its references to "b".
    expect_stopped(text_report(mid_doctype(), "&mid;&mid;"),
                   "RDB_XML: Xerces Exception: Entity 'mid' would bring the text made by entities to 10259521 "
                   "characters, more than the 8388608 allowed from ");

    // An attribute value is counted when it is whole, at its start tag;
    // before that its buffer may not grow far past what the value may be.
    expect_stopped(amplifying_report(100000, 120, true),
                   "RDB_XML: Xerces Exception: Attribute values of 'text' would bring the text made by entities "
                   "to 12000008 characters, more than the 10");
    expect_stopped(amplifying_report(100000, 1500, true),
                   "RDB_XML: Xerces Exception: Entity expansion would need ");
    EXPECT_EQ(count_messages_with("bytes at once, more than the 67108864 allowed from "), 1) << dump();
}

// With validation against the schema the reader applies no default the
// document's DTD declares, so this runs once.
TEST_F(ParseTest, DefaultAttributeValuesCountAsWhatEntitiesMake)
{
    // A megabyte declared once as the default name of a string cell, and
    // 2 000 cells that leave the name out: two thousand megabytes of
    // attribute values from a file of one.
    EXPECT_EQ(parse_text(rdb_bench_defaulted_attributes(1 << 20, 2000)).get(), nullptr);
    EXPECT_EQ(count_messages_with("RDB_XML: Xerces Exception: Attribute values of 'string_cell' would bring the text "
                                  "made by entities to "),
              1)
        << dump();

    // A short default on many elements is what defaults are for.
    std::string texts;
    for (int i = 0; i < 20000; ++i)
        texts += "<text name=\"t\" parent=\"main\"/>";
    REPORT_PTR report = parse_text("<!DOCTYPE report [<!ATTLIST text creator CDATA \"flow\">]>" + report_with(texts));
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_EQ(report->get_main_folder()->get_number_of_objects(), 20000u);
    EXPECT_EQ(report->get_main_folder()->get_object(19999)->get_creator_module().view(), "flow");
}

// Validation changes nothing in how references are counted, so this runs
// once.
TEST_F(ParseTest, EntityReferencesAreCountedToAMillion)
{
#if defined(__SANITIZE_ADDRESS__)
    // Every entity the reader opens maps and unmaps a buffer of its own under
    // the sanitizer: a million take a minute. The plain build counts them.
    GTEST_SKIP();
#endif
    // References to an empty entity in an attribute value make nothing to
    // weigh at the start tag: 34 references to "k" open over a million.
    EXPECT_EQ(parse_text(text_report("<!DOCTYPE report [<!ENTITY e \"\"><!ENTITY k \"" + repeated("&e;", 30000) +
                                         "\">]>",
                                     repeated("&k;", 34), true))
                  .get(),
              nullptr);
    EXPECT_EQ(count_messages_with("RDB_XML: Fatal Error: parser has encountered more than '" +
                                  std::to_string(RDB_XML_READER_GUARD::ENTITY_EXPANSION_LIMIT) + "' entity expansions"),
              1)
        << dump();
}

TEST_P(HostileTest, LongEntitiesEndTheParse)
{
    const std::size_t longest = RDB_XML_READER_LIMITS::MAX_ENTITY_LENGTH;
    ASSERT_NE(parse(amplifying_report(longest, 1, false)), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"text\":\"" + std::string(longest, 'b') + "\"}]"));
    expect_stopped(amplifying_report(longest + 1, 1, false),
                   "RDB_XML: Xerces Exception: Entity 'big' holds " + std::to_string(longest + 1) +
                       " characters, more than the " + std::to_string(longest) + " an entity may hold");

    // Nothing counts references to a parameter entity, so its length alone
    // bounds what repeating it makes the reader do.
    const std::size_t parameter = RDB_XML_READER_LIMITS::MAX_PARAMETER_ENTITY_LENGTH;
    auto parameter_report = [](std::size_t length) {
        return text_report("<!DOCTYPE report [<!ENTITY % p \"<!--" + std::string(length - 7, 'c') + "-->\">%p;%p;]>",
                           "t");
    };
    ASSERT_NE(parse(parameter_report(parameter)), nullptr) << dump();
    expect_stopped(parameter_report(parameter + 1), "RDB_XML: Xerces Exception: Entity '%p' holds " +
                                                        std::to_string(parameter + 1) + " characters, more than the " +
                                                        std::to_string(parameter) + " an entity may hold");
}

TEST_P(HostileTest, NestingIsReadUpToTheLimit)
{
    // "report", "text" and "ascii_text" count too. With the schema "a" is no
    // element of a report, but the file is read to its end.
    auto nested_report = [](std::size_t n) { return text_report("", repeated("<a>", n) + repeated("</a>", n)); };
    const std::size_t depth = RDB_XML_READER_LIMITS::MAX_DEPTH - 3;
    EXPECT_EQ(parse(nested_report(depth)) != nullptr, !GetParam()) << dump();
    EXPECT_EQ(count_messages_with("Xerces Exception"), 0) << dump();
    for (std::size_t beyond : {depth + 1, std::size_t(100000)})
        expect_stopped(nested_report(beyond), "RDB_XML: Xerces Exception: Elements nested deeper than " +
                                                  std::to_string(RDB_XML_READER_LIMITS::MAX_DEPTH) + " levels");
}

TEST_P(HostileTest, UnreadableFilesGiveNullReportAndAFatalError)
{
    // Garbage after the start of a report, and a compressed report cut short
    // or damaged in its data or in its checksum, after all its data.
    std::string packed = gzip_bytes(text_report("", repeated("a line of the notes\n", 20000)));
    expect_stopped("<report>" + std::string(1000, '\x01'), "RDB_XML: Fatal Error: ");
    // The stream's own reason, not what the parser makes of a cut document.
    std::vector<std::string> files = {packed.substr(0, packed.size() / 2)};
    for (std::size_t at : {packed.size() / 2, packed.size() - 6}) {
        files.push_back(packed);
        files.back()[at] = static_cast<char>(files.back()[at] ^ 0x5A);
    }
    for (const std::string& file : files)
        expect_stopped(file, "RDB_XML: Input stream error: gzip data ");
    // An empty file, a directory and no file at all: one message each.
    for (const std::string& path : {write_file("empty.xml", ""), m_scratch, m_scratch + "/missing.xml"}) {
        EXPECT_EQ(parse_file(path, options()).get(), nullptr);
        EXPECT_EQ(count_messages_with("RDB_XML: Fatal Error: "), 1) << path << "\n" << dump();
    }
}

INSTANTIATE_TEST_SUITE_P(Validation, HostileTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Schema") : std::string("NoSchema");
                         });

}  // namespace
