// Reports whose content the reader does not take as written, each with the
// report it is read as (which says exactly that content as it is held) and
// the warnings it gives. The cases live in tests/data/not_as_written.json,
// which the parser's, the tool's and the Python module's tests all read,
// and which they read as real files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <rapidjson/document.h>

struct NOT_AS_WRITTEN_CASE {
    std::string m_body;     // line 2 of the report
    std::string m_read_as;  // line 2 of the report it is read as
    // Every diagnostic of the file, "LINE:COL: warning: MESSAGE", in order.
    std::vector<std::string> m_warnings;
    int m_not_as_written;  // how many of them are for content not taken as written
};

inline std::string not_as_written_report(const std::string& body)
{
    return "<report><folders><root name=\"main\"/></folders>\n" + body + "\n</report>\n";
}

inline const std::vector<NOT_AS_WRITTEN_CASE>& not_as_written_cases()
{
    static const std::vector<NOT_AS_WRITTEN_CASE> cases = [] {
        const std::string path = std::string(RDBXML_TEST_DATA_DIR) + "/not_as_written.json";
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        rapidjson::Document document;
        document.Parse(text.str().c_str());
        if (!in || document.HasParseError() || !document.IsArray()) {
            std::fprintf(stderr, "%s: cannot read the cases\n", path.c_str());
            std::abort();
        }
        std::vector<NOT_AS_WRITTEN_CASE> read;
        for (const rapidjson::Value& c : document.GetArray()) {
            NOT_AS_WRITTEN_CASE one{c["body"].GetString(), c["read_as"].GetString(), {}, c["not_as_written"].GetInt()};
            for (const rapidjson::Value& warning : c["warnings"].GetArray())
                one.m_warnings.emplace_back(warning.GetString());
            read.push_back(std::move(one));
        }
        return read;
    }();
    return cases;
}
