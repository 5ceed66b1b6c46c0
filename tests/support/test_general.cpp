// General utilities: case-blind comparison, hash-table sizes, the
// stopwatch's text and file paths.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "fio_path.h"
#include "gen_stopwatch.h"
#include "gen_util.h"

TEST(General, StricmpIgnoresAsciiCaseOnly)
{
    EXPECT_EQ(gen_stricmp("TRUE", "true"), 0);
    EXPECT_EQ(gen_stricmp("tRuE", "TrUe"), 0);
    EXPECT_EQ(gen_stricmp("", ""), 0);
    EXPECT_LT(gen_stricmp("true", "truer"), 0);
    EXPECT_GT(gen_stricmp("truer", "TRUE"), 0);
    EXPECT_LT(gen_stricmp("abc", "ABD"), 0);
    EXPECT_NE(gen_stricmp("\xC3\xA9", "\xC3\x89"), 0);  // no folding beyond ASCII
    EXPECT_NE(gen_stricmp("[", "{"), 0);                // only letters fold
}

TEST(General, HashSizesAreTheNextPrime)
{
    // Up to the largest 32-bit prime, and no further.
    const unsigned sizes[][2] = {{0, 2},          {2, 3},          {1020, 1021},    {1021, 1031},
                                 {2042, 2053},    {4106, 4111},    {65536, 65537},  {2147483646u, 2147483647u},
                                 {4294967279u, 4294967291u}, {4294967290u, 4294967291u},
                                 {4294967291u, 4294967291u}, {4294967295u, 4294967291u}};
    for (const auto& size : sizes)
        EXPECT_EQ(gen_hash_next_size(size[0]), size[1]) << size[0];
}

TEST(General, StopwatchLapIsReadableText)
{
    GEN_STOPWATCH watch;
    EXPECT_EQ(std::string(watch.lap().c_str()), "0.000 ms");
    watch.start();
    watch.stop();
    std::regex format("[0-9]+\\.[0-9]{3} (ms|s)");
    std::string lap = watch.lap().c_str();
    EXPECT_TRUE(std::regex_match(lap, format)) << lap;
    double first = watch.seconds();
    EXPECT_GE(first, 0.0);
    EXPECT_EQ(watch.seconds(), first);  // stopped: the total stands still
    watch.start();
    watch.stop();
    EXPECT_GE(watch.seconds(), first);  // intervals add up
    watch.reset();
    EXPECT_EQ(watch.seconds(), 0.0);
}

TEST(General, PathsReplaceFileNameAndExtension)
{
    FIO_PATH schema("/a/b/librdb_xml.so");
    schema.filename("rdb_schema").extension("xsd", "");
    EXPECT_STREQ(schema.fullpath(), "/a/b/rdb_schema.xsd");
    EXPECT_STREQ(schema.directory().c_str(), "/a/b");
    EXPECT_STREQ(schema.basename().c_str(), "rdb_schema.xsd");

    EXPECT_STREQ(FIO_PATH("report.xml").filename("other.xml").fullpath(), "other.xml");
    EXPECT_STREQ(FIO_PATH("/x/report.xml").extension("gz", "").fullpath(), "/x/report.gz");
    EXPECT_STREQ(FIO_PATH("/x/report.xml").extension("gz", "txt").fullpath(), "/x/report.xml");  // not .txt
    EXPECT_STREQ(FIO_PATH("/x/report.xml").extension("gz", "xml").fullpath(), "/x/report.gz");
    EXPECT_STREQ(FIO_PATH("/x.d/report").extension("xml", "").fullpath(), "/x.d/report.xml");
    EXPECT_STREQ(FIO_PATH("/x/report.xml").extension("", "").fullpath(), "/x/report");
    EXPECT_STREQ(FIO_PATH("plain").directory().c_str(), "");
}
