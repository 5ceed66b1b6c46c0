// Nothing lost: random valid reports, plain and compressed, come back from
// the parser as exactly the JSON their generator recorded.
#include <fstream>

#include <rdbxml/hdb_instance.h>
#include "parse_fixture.h"
#include "report_generator.h"
#include "scratch_dir.h"

namespace {

class RoundTripTest : public ParseTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RoundTripTest, GeneratedReportsComeBackWhole)
{
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(write_file("hierarchy.txt", generator_hierarchy()));
    ASSERT_NE(hierarchy, nullptr);
    for (unsigned seed = GetParam() * 50; seed < (GetParam() + 1) * 50; ++seed) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        PARSE_OPTIONS options;
        options.action_point = hierarchy->action_point();
        options.use_schema = generated.use_schema;
        options.use_namespaces = generated.use_namespaces;
        options.use_static_buffers = generated.use_static_buffers;
        REPORT_PTR report = parse_file(generated.gzip ? write_file("report.xml.gz", gzip_bytes(generated.xml))
                                                      : write_file("report.xml", generated.xml),
                                       options);
        rapidjson::Document read;
        read.Parse(json_of(report.get()).c_str());
        if (read == generated.expected)
            continue;
        // Keeps the report where a person can read it again.
        std::string kept = test_scratch_dir("roundtrip-" + std::to_string(seed)) + "/report.xml";
        std::ofstream(kept, std::ios::binary) << generated.xml;
        ADD_FAILURE() << "seed " << seed << " (" << kept << "): " << json_difference(read, generated.expected, true)
                      << "\n" << dump();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTripTest, ::testing::Range(0u, 6u));

}  // namespace
