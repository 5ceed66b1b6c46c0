// The last line on standard error after a run of several files, so that
// the outcome of a long run over a directory need not be pieced together
// from the lines above it.
#pragma once

#include <cstddef>
#include <string>

struct RDBXML_TALLY {
    std::size_t files = 0;
    std::size_t good = 0;    // what "good" means is the command's own
    std::size_t warned = 0;  // files with any warning, good or not
};

// "3 files: 2 good, 1 failed, 1 with warnings\n"; empty for a single file,
// whose own lines already say it all.
std::string rdbxml_summary_line(const RDBXML_TALLY& tally);
