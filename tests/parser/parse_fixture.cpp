#include "parse_fixture.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "msg.h"
#include "rdb_json_writer.h"
#include "rdb_xml.h"

void ParseTest::SetUp()
{
    const char* base = std::getenv("RDBXML_TEST_TMP");
    std::string root = base != nullptr ? base : "/tmp";
    mkdir(root.c_str(), 0755);
    std::string pattern = root + "/parse-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    m_scratch = name.data();
    msg_set_sink([this](const char* tag, const char* text) {
        m_messages.push_back(std::string(tag) + ": " + text);
    });
}

void ParseTest::TearDown()
{
    msg_set_sink(MSG_SINK());
    std::string command = "rm -rf '" + m_scratch + "'";
    if (std::system(command.c_str()) != 0)
        ADD_FAILURE() << "could not remove " << m_scratch;
}

REPORT_PTR ParseTest::parse_file(const std::string& path, const PARSE_OPTIONS& o)
{
    m_messages.clear();
    return REPORT_PTR(rdb_xml_parse(path.c_str(), o.action_point, o.stream_flag, o.use_schema, o.use_namespaces,
                                    o.use_static_buffers, o.dead_parser));
}

REPORT_PTR ParseTest::parse_text(const std::string& xml, const PARSE_OPTIONS& options)
{
    return parse_file(write_file("report.xml", xml), options);
}

std::string ParseTest::json_of(const RDB_REPORT* report)
{
    std::ostringstream out;
    rdb_write_json(report, out);
    return out.str();
}

std::string ParseTest::write_file(const std::string& name, const std::string& content)
{
    std::string path = m_scratch + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path;
}

std::string ParseTest::data_file(const std::string& name) { return std::string(RDBXML_TEST_DATA_DIR) + "/" + name; }

std::vector<std::string> ParseTest::messages_with(const std::string& part) const
{
    std::vector<std::string> found;
    for (const std::string& m : m_messages)
        if (m.find(part) != std::string::npos)
            found.push_back(m);
    return found;
}

bool ParseTest::has_message(const std::string& text) const
{
    for (const std::string& m : m_messages)
        if (m == text)
            return true;
    return false;
}

std::string gzip_bytes(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
