// Random valid reports together with the exact JSON each must give.
//
// The generator writes every element kind (folders, folder references,
// text, legal, summary with gauges, chart, embedded (the unsupported
// floorplan too), waveform and the three tables with all cell kinds,
// colours and slack columns) from one table of what each element holds:
// children in any order and number, element and enumeration names in any
// case, flags in any spelling, numbers padded or followed by other text,
// and text with XML-special characters, entities, character references,
// CDATA sections, non-ASCII characters and values longer than 512 bytes.
// While it writes, it records what each element means and builds the
// expected JSON from that record with RapidJSON: it never asks the report
// model or its writer.
#pragma once

#include <string>

#include <rapidjson/document.h>

struct GENERATED_REPORT {
    std::string xml;
    // How to read it: compressed or not, and the parse options.
    bool gzip = false;
    bool use_schema = false;
    bool use_namespaces = true;
    bool use_static_buffers = true;
    // The JSON of the report, in the model writer's shape.
    rapidjson::Document expected;
};

// The instance hierarchy (one instance path per line) that the instance-name
// cells of generated reports resolve against.
std::string generator_hierarchy();

// Report number `seed`: the same seed always gives the same report.
void generate_report(unsigned seed, GENERATED_REPORT& out);
