#include "rdbxml_reading.h"

#include <algorithm>
#include <iostream>

#include "rdbxml_options.h"
#include "rdbxml_parse.h"

int rdbxml_prepare_reading(const char* tool, const RDBXML_OPTIONS& options, const std::vector<std::string>& files,
                           RDBXML_JOB_SETTINGS& settings, RDBXML_READING& reading)
{
    if (!options.hierarchy.empty()) {
        STL_STRING error;
        reading.hierarchy = HDB_HIERARCHY::load(options.hierarchy.c_str(), &error);
        if (!reading.hierarchy) {
            std::cerr << rdbxml_tool_message(tool, error.c_str());
            return RDBXML_EXIT_USAGE;
        }
        settings.action_point = reading.hierarchy->action_point();
    }
    reading.inputs = rdbxml_expand_inputs(files);
    // Standard input is read as a stream, as files are, and so only once.
    if (std::count_if(reading.inputs.begin(), reading.inputs.end(),
                      [](const RDBXML_INPUT_FILE& input) { return input.from_stdin; }) > 1) {
        std::cerr << rdbxml_tool_message(tool, "standard input (-) can be read only once");
        return RDBXML_EXIT_USAGE;
    }
    return -1;
}
