// Nothing grows: one process parsing a thousand files in a row, good and bad
// mixed, ends with the memory and the open files it had after the first
// hundred.
#include <dirent.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "parse_fixture.h"
#include "report_generator.h"

#if defined(__SANITIZE_ADDRESS__)
#define RDBXML_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RDBXML_TEST_ASAN 1
#endif
#endif
#ifdef RDBXML_TEST_ASAN
// The sanitizer's count of bytes in use (freed memory in quarantine is not).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

const int WARM_UP = 100;
const int PARSES = 1000;
// Resident memory may move by allocator noise, never by a leak of every
// parse or of every bad file.
const long RESIDENT_GROWTH_BOUND = 8L << 20;
// The bytes in use on the heap come back to what they were, but for what
// the test itself keeps (its own message lists).
const long HEAP_GROWTH_BOUND = 64L << 10;

long resident_bytes()
{
    long pages = 0;
    long resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return -1;
    int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
    std::fclose(statm);
    return read == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

int open_files()
{
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr)
        return -1;
    while (readdir(dir) != nullptr)
        ++count;
    closedir(dir);
    return count;
}

// Bytes allocated on the heap and not yet released.
long heap_bytes()
{
#ifdef RDBXML_TEST_ASAN
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    struct mallinfo2 info = mallinfo2();
    return static_cast<long>(info.uordblks + info.hblkhd);
#endif
}

class MemoryTest : public ParseTest {
protected:
    // The files of the run: valid reports and every kind of bad one.
    void make_files()
    {
        for (unsigned seed = 1000; seed < 1024; ++seed) {
            GENERATED_REPORT generated;
            generate_report(seed, generated);
            std::string name = "good" + std::to_string(seed) + (generated.gzip ? ".xml.gz" : ".xml");
            add(name, generated.gzip ? gzip_bytes(generated.xml) : generated.xml, true, generated.use_schema);
            if (seed % 4 == 0) {
                // The same report cut short, plain and compressed.
                std::string packed = gzip_bytes(generated.xml);
                add(name + "-cut", generated.xml.substr(0, generated.xml.size() * 2 / 3), false);
                add(name + "-cut.gz", packed.substr(0, packed.size() / 2), false);
            }
        }
        const std::string folders = "<folders><root name=\"m\"/></folders>";
        add("empty.xml", "", false);
        add("garbage.bin", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + std::string(3000, '\xAB'), false);
        add("unclosed.xml", "<report>" + folders + "<text parent=\"m\"><ascii_text>x", false);
        add("semantic.xml", "<report>" + folders + "<chart parent=\"m\"><type>donut</type></chart></report>", false);
        add("entity.xml", "<!DOCTYPE report [<!ENTITY e SYSTEM \"/etc/hostname\">]><report>&e;</report>", false);
        add("long-entity.xml", "<!DOCTYPE r [<!ENTITY e \"" + std::string(5000, 'e') + "\">]><report>&e;</report>",
            false);
        std::string deep = "<report>";
        for (int i = 0; i < 10001; ++i)
            deep += "<a>";
        add("deep.xml", deep + "</report>", false);
        add("undeclared-parent.xml", "<report>" + folders + "<table parent=\"nowhere\"><row/></table></report>", true);
        m_files.push_back({m_scratch + "/missing.xml", false, false});
        std::string directory = m_scratch + "/directory.xml";
        mkdir(directory.c_str(), 0755);
        m_files.push_back({directory, false, false});
    }
    void add(const std::string& name, const std::string& content, bool good, bool schema = false)
    {
        m_files.push_back({write_file(name, content), schema, good});
    }

    // Parses file number `n` of the cycle and checks its outcome.
    void parse_one(int n)
    {
        const FILE_CASE& file = m_files[static_cast<std::size_t>(n) % m_files.size()];
        PARSE_OPTIONS options;
        options.use_schema = file.m_schema;
        options.use_static_buffers = n % 3 != 0;
        EXPECT_EQ(parse_file(file.m_path, options) != nullptr, file.m_good) << file.m_path;
    }

    struct FILE_CASE {
        std::string m_path;
        bool m_schema;
        bool m_good;
    };
    std::vector<FILE_CASE> m_files;
};

TEST_F(MemoryTest, ThousandParsesHoldMemoryFlat)
{
    make_files();
    ASSERT_GE(m_files.size(), 40u);
    for (int n = 0; n < WARM_UP; ++n)
        parse_one(n);
    long resident = resident_bytes();
    long heap = heap_bytes();
    int files = open_files();
    ASSERT_GT(resident, 0);

    for (int n = WARM_UP; n < PARSES; ++n)
        parse_one(n);

    EXPECT_EQ(open_files(), files);
    EXPECT_LT(heap_bytes() - heap, HEAP_GROWTH_BOUND) << "heap " << heap << " -> " << heap_bytes() << " bytes";
#ifndef RDBXML_TEST_ASAN
    // Under AddressSanitizer freed memory is held in quarantine, so resident
    // memory says nothing there; the heap count above and the leak check at
    // exit stand in for it.
    EXPECT_LT(resident_bytes() - resident, RESIDENT_GROWTH_BOUND)
        << "resident " << resident << " -> " << resident_bytes() << " bytes";
#endif
}

}  // namespace
