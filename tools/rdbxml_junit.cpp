#include "rdbxml_junit.h"

#include "rdbxml_check_text.h"

namespace {

const char* const REPLACEMENT = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence of a character XML 1.0 holds
// at the start of `text`, 0 when there is none.
std::size_t xml_character(std::string_view text)
{
    auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80)
        return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || length > text.size())
        return 0;
    unsigned long code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    static const unsigned long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < shortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE ||
        code == 0xFFFF)
        return 0;
    return length;
}

std::string attribute(const char* name, std::string_view value)
{
    return std::string(" ") + name + "=\"" + rdbxml_xml_escaped(value, true) + "\"";
}

std::string counts(std::size_t tests, std::size_t failures, std::size_t errors, std::size_t skipped)
{
    return " tests=\"" + std::to_string(tests) + "\" failures=\"" + std::to_string(failures) + "\" errors=\"" +
           std::to_string(errors) + "\" skipped=\"" + std::to_string(skipped) + "\"";
}

// The first line of `text`, without its line end.
std::string_view first_line(std::string_view text) { return text.substr(0, text.find('\n')); }

struct SUITE {
    std::string cases;
    std::size_t tests = 0, failures = 0, errors = 0, skipped = 0;

    void add(const std::string& name, const std::string& file, const std::string& inner)
    {
        ++tests;
        cases += "    <testcase" + attribute("name", name) + attribute("classname", file);
        cases += inner.empty() ? "/>\n" : ">\n      " + inner + "\n    </testcase>\n";
    }
};

// The testcases of one file.
SUITE file_suite(const std::vector<RDB_RULE>& rules, const RDBXML_CHECKED_FILE& file,
                 const std::vector<std::string>& unusable)
{
    SUITE suite;
    if (!file.read) {
        ++suite.errors;
        suite.add("read", file.name,
                  "<error" + attribute("message", first_line(file.failure)) + ">" +
                      rdbxml_xml_escaped(file.failure, false) + "</error>");
        return suite;
    }
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const RDB_RULE& rule = rules[r];
        const RDB_RULE_OUTCOME& outcome = file.rules[r];
        std::string inner;
        if (!unusable[r].empty()) {
            ++suite.errors;
            inner = "<error" + attribute("message", unusable[r]) + "/>";
        } else if (outcome.m_status == RDB_RULE_FAILS) {
            ++suite.failures;
            std::string rows;
            for (const RDB_RULE_ROW& row : outcome.m_rows)
                rows += rdbxml_rule_row_text(rule, row) + "\n";
            rows += rdbxml_rule_more_text(outcome);
            inner = "<failure" + attribute("message", rdbxml_rule_fails_text(rule, outcome)) + ">" +
                    rdbxml_xml_escaped(rows, false) + "</failure>";
        } else if (rdbxml_rule_skipped(outcome)) {
            ++suite.skipped;
            inner = "<skipped" + attribute("message", rdbxml_rule_unasked_text(rule, outcome.m_status, "in this file")) +
                    "/>";
        }
        suite.add(rule.get_text(), file.name, inner);
    }
    return suite;
}

}  // namespace

std::string rdbxml_xml_escaped(std::string_view text, bool attribute)
{
    std::string escaped;
    escaped.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = xml_character(text);
        if (length == 0) {
            escaped += REPLACEMENT;
            text.remove_prefix(1);
            continue;
        }
        char c = text[0];
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (c == '"' && attribute)
            escaped += "&quot;";
        else if (c == '\r' || (attribute && (c == '\t' || c == '\n')))
            escaped += "&#" + std::to_string(static_cast<int>(c)) + ";";
        else
            escaped.append(text.data(), length);
        text.remove_prefix(length);
    }
    return escaped;
}

std::string rdbxml_junit(const std::vector<RDB_RULE>& rules, const std::vector<RDBXML_CHECKED_FILE>& files,
                         const std::vector<std::string>& unusable)
{
    std::string suites;
    SUITE all;
    for (const RDBXML_CHECKED_FILE& file : files) {
        SUITE suite = file_suite(rules, file, unusable);
        suites += "  <testsuite" + attribute("name", file.name) +
                  counts(suite.tests, suite.failures, suite.errors, suite.skipped) + ">\n" + suite.cases +
                  "  </testsuite>\n";
        all.tests += suite.tests;
        all.failures += suite.failures;
        all.errors += suite.errors;
        all.skipped += suite.skipped;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + attribute("name", "rdbxml check") +
           counts(all.tests, all.failures, all.errors, all.skipped) + ">\n" + suites + "</testsuites>\n";
}
