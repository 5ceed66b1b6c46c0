// A parse that ends with errors destroys its report right after printing
// its totals. To look at what the handlers built in such a parse, this sink
// keeps collecting the messages as the fixture does and takes the report's
// JSON at the moment the totals line is printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "msg.h"
#include "parse_fixture.h"
#include "rdb_xml_globals.h"

// Installs the sink; `messages` collects every message, `json` the snapshot.
inline void snapshot_report_at_totals(std::vector<std::string>& messages, std::string& json)
{
    msg_set_sink([&messages, &json](const char* tag, const char* text) {
        messages.push_back(std::string(tag) + ": " + text);
        if (std::string(text).rfind("Parsing resulted in", 0) == 0) {
            std::ostringstream out;
            rdb_write_json(rdb_xml_report, out);
            json = out.str();
        }
    });
}
