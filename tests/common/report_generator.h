// Random valid reports together with the exact JSON each must give. Every
// element kind, cell kind, colour and slack column is written from one
// table of what each element holds: children in any order and number, names
// and enumerations in any case, flags in any spelling, numbers padded or
// followed by other text, and text with XML specials, entities, character
// references, CDATA, non-ASCII characters and more than 512 bytes. The
// expected JSON is built from what the generator wrote, never from the model.
#pragma once

#include <rapidjson/document.h>

#include <string>

struct GENERATED_REPORT {
    std::string xml;
    bool gzip = false;  // how to read it
    bool use_schema = false;
    bool use_namespaces = true;
    bool use_static_buffers = true;
    rapidjson::Document expected;  // in the model writer's shape
};

// The instance paths, one a line, that instance-name cells resolve against.
std::string generator_hierarchy();

// Report number `seed`: the same seed always gives the same report.
void generate_report(unsigned seed, GENERATED_REPORT& out);
