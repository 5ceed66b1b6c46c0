// What every command of the tool that reads report files sets up before
// the first one is read: the instance hierarchy of --hierarchy, and the
// inputs its FILE arguments stand for (rdbxml_inputs.h).
#pragma once

#include <memory>
#include <vector>

#include <rdbxml/hdb_instance.h>
#include "rdbxml_inputs.h"
#include "rdbxml_job.h"

struct RDBXML_READING {
    std::unique_ptr<HDB_HIERARCHY> hierarchy;  // what settings.action_point points into
    std::vector<RDBXML_INPUT_FILE> inputs;
};

// Loads the hierarchy into `reading` and `settings`, and expands `files`.
// Returns -1 to go on; else the usage status, said in `tool`'s name ("rdbxml
// check") on stderr: a hierarchy that cannot be loaded, standard input
// given twice.
int rdbxml_prepare_reading(const char* tool, const RDBXML_OPTIONS& options, const std::vector<std::string>& files,
                           RDBXML_JOB_SETTINGS& settings, RDBXML_READING& reading);
