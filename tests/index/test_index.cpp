// The index of many runs: what goes in for each report, a file read again
// only when it changed, failed runs, pruning, several threads, and the
// database refusing a write.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_metrics.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

#include "index_test_db.h"
#include "rdb_index.h"
#include "scratch_dir.h"

namespace {

const std::int64_t SECOND = 1000000000;
const std::int64_t DAY0 = 1764547200 * SECOND;  // 2025-12-01T00:00:00Z

std::string data_file(const char* name) { return std::string(RDBXML_TEST_DATA_DIR "/") + name; }

std::string real(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    std::string text = resolved ? resolved : path;
    std::free(resolved);
    return text;
}

RDB_METRICS metrics_of(const std::string& file, bool cells = false)
{
    std::unique_ptr<RDB_REPORT> report(rdb_xml_parse(file.c_str(), nullptr, false, false, true, true, false));
    EXPECT_TRUE(report) << file;
    return report ? rdb_report_metrics(*report->get_main_folder(), cells) : RDB_METRICS();
}

std::string count_of(const std::string& db, const std::string& table, const std::string& file)
{
    return index_value(db, "SELECT COUNT(*) FROM " + table + " t JOIN runs r ON r.id = t.run_id WHERE r.file = '" +
                               real(file) + "'");
}

class Index : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = test_scratch_dir("index");
        ASSERT_FALSE(m_dir.empty());
        m_db = m_dir + "/runs.db";
    }
    std::string file(const std::string& name) const { return m_dir + "/" + name; }

    std::string m_dir, m_db;
};

TEST_F(Index, EachRunHoldsTheFiguresOfItsReport)
{
    const std::vector<std::string> files = {data_file("rules_report.xml"), data_file("metrics_report.xml")};
    std::vector<RDB_INDEX_OUTCOME> told = index_files(m_db, files);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::GOOD);
    EXPECT_EQ(told[1].m_what, RDB_INDEX_OUTCOME::GOOD);
    // Every record of each report, and nothing else, in its table.
    for (const std::string& f : files) {
        RDB_METRICS m = metrics_of(f);
        EXPECT_EQ(count_of(m_db, "objects", f), std::to_string(m.m_objects.size())) << f;
        EXPECT_EQ(count_of(m_db, "gauges", f), std::to_string(m.m_gauges.size())) << f;
        EXPECT_EQ(count_of(m_db, "summary_rows", f), std::to_string(m.m_summary_rows.size())) << f;
        EXPECT_EQ(count_of(m_db, "points", f), std::to_string(m.m_points.size())) << f;
        EXPECT_EQ(count_of(m_db, "headings", f), std::to_string(m.m_headings.size())) << f;
        EXPECT_EQ(count_of(m_db, "column_stats", f), std::to_string(m.m_columns.size())) << f;
        EXPECT_EQ(count_of(m_db, "table_rows", f), std::to_string(m.m_table_rows.size())) << f;
        EXPECT_EQ(count_of(m_db, "cells", f), "0") << f;
    }
    const std::string rules = "(SELECT id FROM runs WHERE file = '" + real(files[0]) + "')";
    EXPECT_EQ(index_rows(m_db, "SELECT name, value, min, max, percent FROM gauges WHERE run_id = " + rules +
                                   " ORDER BY name"),
              (std::vector<std::string>{"Logic elements|185|0|200|92.5", "Memory bits|5|0|8|62.5", "PLLs|4|4|4|NULL"}));
    // The slack column in picoseconds, whatever unit each cell is shown in.
    EXPECT_EQ(index_value(m_db, "SELECT delays, count, min, max, negatives FROM column_stats WHERE run_id = " +
                                    rules + " AND path = 'main/timing/Setup slack' AND \"column\" = 1"),
              "1|5|-500|1000000|3");
    // The worst row of the slack table, and every row of the speed table.
    EXPECT_EQ(index_rows(m_db, "SELECT DISTINCT \"row\" FROM table_rows WHERE run_id = " + rules +
                                   " AND path = 'main/timing/Setup slack'"),
              (std::vector<std::string>{"3"}));
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(DISTINCT \"row\") FROM table_rows WHERE run_id = " + rules +
                                    " AND path = 'main/timing/Fmax'"),
              "4");
    EXPECT_EQ(index_value(m_db, "SELECT text, number FROM summary_rows WHERE run_id = " + rules +
                                    " AND label = 'Total pins'"),
              "87 %|87");
    EXPECT_EQ(index_value(m_db, "SELECT number FROM summary_rows WHERE run_id = " + rules + " AND label = 'Status'"),
              "NULL");
    EXPECT_EQ(index_value(m_db, "SELECT value FROM points WHERE run_id = " + rules + " AND label = 'place'"), "75");
    EXPECT_EQ(index_value(m_db, "SELECT status, error, warnings, cells, label FROM runs WHERE id = " + rules),
              "good|NULL|0|0|" + files[0]);
    EXPECT_EQ(index_value(m_db, "PRAGMA user_version"), std::to_string(RDB_INDEX_VERSION));
    EXPECT_EQ(index_value(m_db, "PRAGMA journal_mode"), "wal");
}

TEST_F(Index, OnlyAChangedFileIsReadAgainAndItsRunHoldsItsNewValues)
{
    const std::vector<std::string> files = {file("a.xml"), file("b.xml"), file("c.xml")};
    for (std::size_t i = 0; i < files.size(); ++i)
        index_write_file(files[i], index_report({"<delay>-" + std::to_string(100 * (i + 1)) + "</delay>"}, 40),
                         DAY0 + static_cast<std::int64_t>(i) * SECOND);
    ASSERT_EQ(index_files(m_db, files).size(), 3u);
    const std::string runs = "SELECT id, file, indexed_at, time FROM runs ORDER BY file";
    std::vector<std::string> before = index_rows(m_db, runs);
    ASSERT_EQ(before.size(), 3u);
    EXPECT_EQ(index_value(m_db, "SELECT time FROM runs WHERE file = '" + real(files[1]) + "'"),
              "2025-12-01T00:00:01.000000000Z");

    // The same size, another figure and another time: b is read again.
    index_write_file(files[1], index_report({"<delay>-900</delay>"}, 70), DAY0 + 50 * SECOND);
    std::vector<RDB_INDEX_OUTCOME> told = index_files(m_db, files);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::SKIPPED);
    EXPECT_EQ(told[1].m_what, RDB_INDEX_OUTCOME::GOOD);
    EXPECT_EQ(told[2].m_what, RDB_INDEX_OUTCOME::SKIPPED);
    EXPECT_TRUE(told[0].m_good);
    std::vector<std::string> after = index_rows(m_db, runs);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_NE(after[1], before[1]);
    const std::string b = "(SELECT id FROM runs WHERE file = '" + real(files[1]) + "')";
    EXPECT_EQ(index_value(m_db, "SELECT min FROM column_stats WHERE run_id = " + b + " AND path = 'main/timing/Setup'"),
              "-900");
    EXPECT_EQ(index_value(m_db, "SELECT value FROM gauges WHERE run_id = " + b), "70");
    EXPECT_EQ(index_value(m_db, "SELECT time FROM runs WHERE id = " + b), "2025-12-01T00:00:50.000000000Z");
    // The old run's rows went with it.
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM column_stats"), "6");
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM gauges"), "3");
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM objects WHERE run_id NOT IN (SELECT id FROM runs)"), "0");

    // A longer file with the same time is read again too.
    index_write_file(files[2], index_report({"<delay>-300</delay>", "<delay>-1</delay>"}, 40), DAY0 + 2 * SECOND);
    told = index_files(m_db, files);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::SKIPPED);
    EXPECT_EQ(told[1].m_what, RDB_INDEX_OUTCOME::SKIPPED);
    EXPECT_EQ(told[2].m_what, RDB_INDEX_OUTCOME::GOOD);
    EXPECT_EQ(count_of(m_db, "table_rows", files[2]), "2");
}

TEST_F(Index, AFileThatGivesNoReportIsAFailedRunWithItsFirstError)
{
    const std::string good = file("good.xml"), bad = file("bad.xml");
    index_write_file(good, index_report({"<delay>-5</delay>"}, 10), DAY0);
    // A warning (a cell before any row) comes before the error.
    std::string text = index_report({"<delay>-5</delay>"}, 10) + "<trailing/>\n";
    text.insert(text.find("<row>"), "<string_cell>early</string_cell>");
    index_write_file(bad, text, DAY0);
    std::vector<RDB_INDEX_OUTCOME> told = index_files(m_db, {good, bad});
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].m_what, RDB_INDEX_OUTCOME::FAILED);
    EXPECT_FALSE(told[1].m_good);
    EXPECT_EQ(told[1].m_error.rfind(bad + ":", 0), 0u) << told[1].m_error;
    EXPECT_NE(told[1].m_error.find(": error: "), std::string::npos) << told[1].m_error;
    EXPECT_NE(told[1].m_messages.find(": warning: "), std::string::npos) << told[1].m_messages;
    EXPECT_EQ(told[1].m_warnings, 1u);
    EXPECT_EQ(index_value(m_db, "SELECT status, error FROM runs WHERE file = '" + real(bad) + "'"),
              "failed|" + told[1].m_error);
    for (const char* table : {"objects", "gauges", "summary_rows", "points", "headings", "column_stats", "table_rows"})
        EXPECT_EQ(count_of(m_db, table, bad), "0") << table;
    EXPECT_EQ(index_value(m_db, "SELECT status FROM runs WHERE file = '" + real(good) + "'"), "good");
    // Unchanged, it is not read again, and is still told as failed.
    told = index_files(m_db, {bad});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::SKIPPED);
    EXPECT_FALSE(told[0].m_good);
}

TEST_F(Index, AGoodRunThatTurnsBadLosesItsValues)
{
    const std::string f = file("run.xml");
    index_write_file(f, index_report({"<delay>-5</delay>"}, 10), DAY0);
    index_files(m_db, {f});
    ASSERT_EQ(count_of(m_db, "gauges", f), "1");
    index_write_file(f, "<report><folders>\n", DAY0 + SECOND);
    std::vector<RDB_INDEX_OUTCOME> told = index_files(m_db, {f});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::FAILED);
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*), status FROM runs"), "1|failed");
    for (const char* table : {"objects", "gauges", "summary_rows", "points", "headings", "column_stats", "table_rows"})
        EXPECT_EQ(index_value(m_db, std::string("SELECT COUNT(*) FROM ") + table), "0") << table;
}

TEST_F(Index, PruneDropsTheRunsOfFilesThatAreGone)
{
    const std::string kept = file("kept.xml"), gone = file("gone.xml");
    index_write_file(kept, index_report({"<delay>1</delay>"}, 1), DAY0);
    index_write_file(gone, index_report({"<delay>2</delay>"}, 2), DAY0);
    index_files(m_db, {kept, gone});
    ASSERT_EQ(unlink(gone.c_str()), 0);
    std::string error;
    std::unique_ptr<RDB_INDEX_DB> db = RDB_INDEX_DB::open(m_db, 1, false, error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(db->prune(error), 1) << error;
    db.reset();
    EXPECT_EQ(index_rows(m_db, "SELECT file FROM runs"), std::vector<std::string>{real(kept)});
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM gauges"), "1");
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM objects WHERE run_id NOT IN (SELECT id FROM runs)"), "0");
}

// Its own group, so that the ThreadSanitizer build runs it.
class IndexThreads : public Index {
};

TEST_F(IndexThreads, FilesParsedOnSeveralThreadsGiveTheDatabaseOneThreadGives)
{
    // More files than the window of two threads, of different sizes, so
    // that they finish out of order; one of them bad.
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) {
        std::vector<std::string> slacks;
        for (int j = 0; j < (i % 4) * 200 + 1; ++j)
            slacks.push_back("<delay>" + std::to_string(j * 7 - i * 13) + "</delay><display_option>" +
                             (j % 2 ? "ns" : "ps") + "</display_option>");
        files.push_back(file("r" + std::to_string(i) + ".xml"));
        index_write_file(files.back(), index_report(slacks, i) + (i == 5 ? "<x/>" : ""), DAY0 + i * SECOND);
    }
    const std::string one = file("one.db"), two = file("two.db");
    index_files(one, files, 1, true);
    index_files(two, files, 2, true);
    std::vector<std::string> contents = index_contents(one);
    EXPECT_GT(contents.size(), 1000u);
    EXPECT_EQ(index_contents(two), contents);
    EXPECT_EQ(index_rows(two, "SELECT file FROM runs ORDER BY id"), index_rows(one, "SELECT file FROM runs ORDER BY id"));
}

TEST_F(Index, CellsAreKeptWhenAskedAndAskingLaterReadsTheFileAgain)
{
    const std::string f = file("run.xml");
    index_write_file(f, index_report({"<delay>-5</delay>", "<delay>7</delay>"}, 10), DAY0);
    index_files(m_db, {f});
    EXPECT_EQ(count_of(m_db, "cells", f), "0");
    std::vector<RDB_INDEX_OUTCOME> told = index_files(m_db, {f}, 1, true);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::GOOD);
    EXPECT_EQ(count_of(m_db, "cells", f), std::to_string(metrics_of(f, true).m_cells.size()));
    EXPECT_EQ(index_rows(m_db, "SELECT \"row\", kind, number FROM cells WHERE \"column\" = 1 AND path = "
                               "'main/timing/Setup' ORDER BY \"row\""),
              (std::vector<std::string>{"1|delay|-5", "2|delay|7"}));
    // Kept cells serve a pass without --cells too.
    told = index_files(m_db, {f});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::SKIPPED);
}

TEST_F(Index, AWriteTheDatabaseRefusesLeavesItAsItWasAndStops)
{
    const std::string small = file("small.xml"), large = file("large.xml"), after = file("after.xml");
    index_write_file(small, index_report({"<delay>-5</delay>"}, 10), DAY0);
    std::vector<std::string> slacks(3000, "<delay>-5</delay><display_option>ns</display_option>");
    index_write_file(large, index_report(slacks, 20), DAY0);
    index_write_file(after, index_report({"<delay>-6</delay>"}, 30), DAY0);
    index_files(m_db, {small});
    std::vector<std::string> before = index_contents(m_db);

    std::string error;
    std::unique_ptr<RDB_INDEX_DB> db = RDB_INDEX_DB::open(m_db, 1, false, error);
    ASSERT_TRUE(db) << error;
    // The database may not grow past a few pages more: the large report's
    // cells do not fit.
    long pages = std::stol(index_value(m_db, "PRAGMA page_count"));
    ASSERT_EQ(sqlite3_exec(db->handle(), ("PRAGMA max_page_count = " + std::to_string(pages + 4)).c_str(), nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    std::vector<RDB_INDEX_FILE> list = {{large, "", -1}, {after, "", -1}};
    RDB_INDEX_OPTIONS options;
    options.m_cells = true;
    std::vector<RDB_INDEX_OUTCOME> told;
    EXPECT_FALSE(rdb_index_add(*db, list, options, [&](const RDB_INDEX_OUTCOME& o) { told.push_back(o); }));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::WRITE_FAILED);
    EXPECT_EQ(told[0].m_error.rfind(m_db + ": ", 0), 0u) << told[0].m_error;
    EXPECT_NE(told[0].m_error.find("full"), std::string::npos) << told[0].m_error;
    // The connection is whole: it writes a run that fits.
    EXPECT_TRUE(db->put(RDB_INDEX_RUN{real(after), "after", "t", 1, 1, "", 0, false}, nullptr, error)) << error;
    db.reset();
    std::vector<std::string> now = index_contents(m_db);
    ASSERT_EQ(now.size(), before.size() + 1);
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM runs WHERE file = '" + real(large) + "'"), "0");
    EXPECT_EQ(index_value(m_db, "PRAGMA integrity_check"), "ok");
}

TEST_F(Index, AnotherWriterIsWaitedForThenTheRunIsRefusedSayingSo)
{
    const std::string f = file("run.xml");
    index_write_file(f, index_report({"<delay>-5</delay>"}, 10), DAY0);
    std::string error;
    std::unique_ptr<RDB_INDEX_DB> db = RDB_INDEX_DB::open(m_db, 0.05, false, error);
    ASSERT_TRUE(db) << error;
    // Another connection holds the write lock throughout.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(m_db.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::vector<RDB_INDEX_FILE> list = {{f, "", -1}};
    std::vector<RDB_INDEX_OUTCOME> told;
    EXPECT_FALSE(rdb_index_add(*db, list, RDB_INDEX_OPTIONS(), [&](const RDB_INDEX_OUTCOME& o) { told.push_back(o); }));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].m_what, RDB_INDEX_OUTCOME::WRITE_FAILED);
    EXPECT_EQ(told[0].m_error, m_db + ": the database is busy (another rdbxml index?); waited 0.05 s");
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM runs"), "0");
    // Once the other is done, the run goes in.
    told.clear();
    EXPECT_TRUE(rdb_index_add(*db, list, RDB_INDEX_OPTIONS(), [&](const RDB_INDEX_OUTCOME& o) { told.push_back(o); }));
    EXPECT_EQ(index_value(m_db, "SELECT COUNT(*) FROM runs"), "1");
}

TEST_F(Index, ADatabaseOfAnotherKindOrANewerVersionIsRefusedSayingWhatToDo)
{
    std::string error;
    const std::string newer = file("newer.db"), other = file("other.db"), text = file("text.db");
    ASSERT_TRUE(RDB_INDEX_DB::open(newer, 1, false, error)) << error;
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(newer.c_str(), &handle), SQLITE_OK);
    sqlite3_exec(handle, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    ASSERT_EQ(sqlite3_open(other.c_str(), &handle), SQLITE_OK);
    sqlite3_exec(handle, "CREATE TABLE mine(x)", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    index_write_file(text, "not a database at all, but long enough to be read as a header of one ......\n");

    for (const std::string& db : {newer, other, text}) {
        for (bool read_only : {false, true}) {
            error.clear();
            EXPECT_FALSE(RDB_INDEX_DB::open(db, 1, read_only, error)) << db;
            EXPECT_EQ(error.rfind(db + ": ", 0), 0u) << error;
            EXPECT_NE(error.find("new file"), std::string::npos) << error;
        }
    }
    EXPECT_NE(error.find("not an SQLite database"), std::string::npos) << error;
    // Left as they were.
    EXPECT_EQ(index_value(newer, "PRAGMA user_version"), "2");
    EXPECT_EQ(index_rows(other, "SELECT name FROM sqlite_master"), std::vector<std::string>{"mine"});
    // One of this version opens again, read-only too.
    const std::string ours = file("ours.db");
    ASSERT_TRUE(RDB_INDEX_DB::open(ours, 1, false, error)) << error;
    EXPECT_TRUE(RDB_INDEX_DB::open(ours, 1, false, error)) << error;
    EXPECT_TRUE(RDB_INDEX_DB::open(ours, 1, true, error)) << error;
    EXPECT_FALSE(RDB_INDEX_DB::open(file("missing.db"), 1, true, error));
}

TEST(IndexTime, TimesAreWrittenSoTheySortAsTheyReadAndReadBack)
{
    EXPECT_EQ(rdb_index_time_text(0), "1970-01-01T00:00:00.000000000Z");
    EXPECT_EQ(rdb_index_time_text(DAY0 + 3723 * SECOND + 5), "2025-12-01T01:02:03.000000005Z");
    EXPECT_EQ(rdb_index_time_text(951782400 * SECOND), "2000-02-29T00:00:00.000000000Z");
    std::int64_t ns = 0;
    for (std::int64_t t : {std::int64_t(0), DAY0 + 3723 * SECOND + 5, std::int64_t(951782400) * SECOND,
                           std::int64_t(4102444799) * SECOND + 999999999}) {
        ASSERT_TRUE(rdb_index_read_time(rdb_index_time_text(t), ns)) << t;
        EXPECT_EQ(ns, t);
    }
    ASSERT_TRUE(rdb_index_read_time("2025-12-01", ns));
    EXPECT_EQ(ns, DAY0);
    ASSERT_TRUE(rdb_index_read_time("2025-12-01 01:02", ns));
    EXPECT_EQ(ns, DAY0 + 3720 * SECOND);
    ASSERT_TRUE(rdb_index_read_time("2025-12-01T01:02:03Z", ns));
    EXPECT_EQ(ns, DAY0 + 3723 * SECOND);
    ASSERT_TRUE(rdb_index_read_time("2025-12-01T01:02:03.5", ns));
    EXPECT_EQ(ns, DAY0 + 3723 * SECOND + SECOND / 2);
    ASSERT_TRUE(rdb_index_read_time("@1764547200", ns));
    EXPECT_EQ(ns, DAY0);
    for (const char* bad : {"", "@", "@12x", "2025-13-01", "2025-12-01 1:02", "2025-12-01T01:02:03.", "yesterday",
                            "2025-12-01 01:02:03 extra", "2025-12-00"})
        EXPECT_FALSE(rdb_index_read_time(bad, ns)) << bad;
}

}  // namespace
