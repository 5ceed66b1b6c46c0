// Names of the files the tool writes for each input (a page, a directory of
// CSV tables): the input's name without its directory, compression suffix
// and ".xml", made unique among the inputs of a run with "-2", "-3", ...
#pragma once

#include <set>
#include <string>

class RDBXML_NAMES {
public:
    // The name for `file` with `suffix` appended; asked for once per input,
    // in the order of the inputs.
    std::string unique(const std::string& file, const std::string& suffix);
    // `stem` with `suffix`, or with "-2", "-3", ... before it once taken.
    std::string unique_stem(const std::string& stem, const std::string& suffix);

private:
    std::set<std::string> m_used;
};
