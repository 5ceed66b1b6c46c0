// Nothing grows: one process parsing a thousand files in a row, good and bad
// mixed, ends with the heap and the open files it had after the first
// hundred.
#include <malloc.h>

#include <filesystem>
#include <tuple>

#include "parse_fixture.h"
#include "report_generator.h"

// The sanitizer's count of bytes in use, when it runs (freed memory in its
// quarantine is not counted).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace {

// Bytes allocated on the heap and not yet released.
long heap_bytes()
{
    if (__sanitizer_get_current_allocated_bytes != nullptr)
        return static_cast<long>(__sanitizer_get_current_allocated_bytes());
    struct mallinfo2 info = mallinfo2();
    return static_cast<long>(info.uordblks + info.hblkhd);
}

long open_files()
{
    auto fds = std::filesystem::directory_iterator("/proc/self/fd");
    return std::distance(begin(fds), end(fds));
}

TEST_F(ParseTest, ThousandParsesHoldHeapAndOpenFilesFlat)
{
    // Valid reports, some cut short plain and compressed, and every kind of
    // bad file: (path, whether it gives a report, whether it is validated).
    std::vector<std::tuple<std::string, bool, bool>> files;
    for (unsigned seed = 1000; seed < 1024; ++seed) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        std::string packed = gzip_bytes(generated.xml);
        files.emplace_back(write_file(std::to_string(seed), generated.gzip ? packed : generated.xml), true,
                           generated.use_schema);
        if (seed % 4 == 0) {
            std::string cut = generated.xml.substr(0, generated.xml.size() * 2 / 3);
            std::string packed_cut = packed.substr(0, packed.size() / 2);
            files.emplace_back(write_file("cut" + std::to_string(seed), cut), false, false);
            files.emplace_back(write_file("cut.gz" + std::to_string(seed), packed_cut), false, false);
        }
    }
    const std::string folders = "<folders><root name=\"m\"/></folders>";
    std::string deep = "<report>";
    while (deep.size() < 30000)  // deeper than elements may nest
        deep += "<a>";
    for (const std::string& bad :
         {std::string(), "<report>" + folders + "<text parent=\"m\"><ascii_text>x",
          "<report>" + folders + "<chart parent=\"m\"><type>donut</type></chart></report>",
          std::string("<!DOCTYPE report [<!ENTITY e SYSTEM \"/etc/hostname\">]><report>&e;</report>"),
          "<!DOCTYPE r [<!ENTITY e \"" + std::string(5000, 'e') + "\">]><report>&e;</report>",
          deep})
        files.emplace_back(write_file("bad" + std::to_string(files.size()), bad), false, false);
    files.emplace_back(write_file("undeclared-parent", report_with("<table parent=\"nowhere\"><row/></table>")), true,
                       false);
    files.emplace_back(m_scratch + "/missing.xml", false, false);
    files.emplace_back(m_scratch, false, false);  // a directory

    long heap = 0, fds = 0;
    for (int n = 0; n < 1000; ++n) {
        if (n == 100) {
            heap = heap_bytes();
            fds = open_files();
        }
        const auto& file = files[static_cast<std::size_t>(n) % files.size()];
        PARSE_OPTIONS options;
        options.use_schema = std::get<2>(file);
        options.use_static_buffers = n % 3 != 0;
        ASSERT_EQ(parse_file(std::get<0>(file), options) != nullptr, std::get<1>(file)) << std::get<0>(file);
    }
    EXPECT_EQ(open_files(), fds);
    // The heap comes back to what it was, but for what the test itself
    // keeps (its message lists) and allocator noise.
    EXPECT_LT(heap_bytes() - heap, 64L << 10) << "heap " << heap << " -> " << heap_bytes() << " bytes";
}

}  // namespace
