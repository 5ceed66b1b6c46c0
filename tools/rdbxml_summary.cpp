#include "rdbxml_summary.h"

std::string rdbxml_summary_line(const RDBXML_TALLY& tally)
{
    if (tally.files <= 1)
        return std::string();
    return std::to_string(tally.files) + " files: " + std::to_string(tally.good) + " good, " +
           std::to_string(tally.files - tally.good) + " failed, " + std::to_string(tally.warned) + " with warnings\n";
}
