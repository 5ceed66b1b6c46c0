// Hostile report files: each one ends without a crash, a hang or a leak,
// with a clear message, and reads nothing but the report file itself. Every
// test runs with and without validation.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "parse_fixture.h"
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
                                   "<!DOCTYPE report SYSTEM \"ID\">",
                                   "<!DOCTYPE report [<!ENTITY % p SYSTEM \"ID\"> %p;]>"};
    auto refuse_all = [&](const std::vector<std::string>& ids) {
        for (std::string prolog : prologs)
            for (const std::string& id : ids)
                expect_refused(text_report(std::string(prolog).replace(prolog.find("ID"), 2, id), "&secret;"), id);
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

TEST_P(HostileTest, EntityExpansionIsBoundedInTextAndAttributes)
{
    EXPECT_EQ(parse_file(data_file("hostile_billion_laughs.xml"), options()).get(), nullptr);
    EXPECT_GE(count_messages_with("RDB_XML: Fatal Error: "), 1) << dump();
    EXPECT_GE(count_messages_with("entity expansion"), 1) << dump();

    // Up to the limit every reference is read; the predefined entities and
    // character references never count.
    std::string body = repeated("&e;&lt;&#233;", RDB_XML_READER_GUARD::ENTITY_EXPANSION_LIMIT);
    std::string expected = repeated("x<\xC3\xA9", RDB_XML_READER_GUARD::ENTITY_EXPANSION_LIMIT);
    ASSERT_NE(parse(text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body)), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"text\":\"" + expected + "\"}]"));
    for (bool in_name : {false, true})
        expect_stopped(text_report("<!DOCTYPE report [<!ENTITY e \"x\">]>", body + "&e;", in_name), "entity expansion");

    // Internal entities still expand, in names, headers and text.
    ASSERT_NE(parse_file(data_file("hostile_internal_entities.xml"), options()), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"name\":\"Notes by the \\\"core\\\" team\",\"header\":\"<Notes> & more\","
                             "\"text\":\"Checked \xE2\x80\x94 the \\\"core\\\" team.\"}]"));
}

TEST_P(HostileTest, LongEntitiesEndTheParseAndLongValuesDoNot)
{
    const std::size_t longest = RDB_XML_READER_LIMITS::MAX_ENTITY_LENGTH;
    ASSERT_NE(parse(amplifying_report(longest, 3, false)), nullptr) << dump();
    EXPECT_TRUE(objects_hold("[{\"text\":\"" + std::string(3 * longest, 'b') + "\"}]"));
    // 1500 references to 100 000 characters would make 150 million, from a
    // file of a few kilobytes.
    for (bool in_name : {false, true})
        expect_stopped(amplifying_report(100000, 1500, in_name),
                       "RDB_XML: Xerces Exception: Entity 'big' holds 100000 characters, more than the " +
                           std::to_string(longest) + " an entity may hold");
    expect_stopped(amplifying_report(longest + 1, 1, false), "an entity may hold");

    std::string name(10 << 20, 'n');
    REPORT_PTR report = parse(text_report("", name, true));
    ASSERT_NE(report, nullptr) << dump();
    EXPECT_TRUE(report->get_main_folder()->get_object(0)->get_name().c_str() == name);
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
    std::vector<std::string> files = {"<report>" + std::string(1000, '\x01'), packed.substr(0, packed.size() / 2)};
    for (std::size_t at : {packed.size() / 2, packed.size() - 6}) {
        files.push_back(packed);
        files.back()[at] = static_cast<char>(files.back()[at] ^ 0x5A);
    }
    for (const std::string& file : files)
        expect_stopped(file, "RDB_XML: Fatal Error: ");
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
