// Files the tool writes are replaced atomically: the whole new file, or the
// old one untouched. The bytes go to a temporary file beside the target,
// which is renamed over the target only once all of it is written and on
// disk; a failed or killed write leaves the target as it was.
//
// The temporary file has no name while it is written (O_TMPFILE) where the
// file system allows; it is named only for the instant before the rename.
// Elsewhere it is a named file from the start. Either name is
// ".rdbxml-tmp-PID-..." in the target's directory, so that one left behind
// by a killed run is recognised, and removed by the next run that writes
// there once that process is gone.
#pragma once

#include <string>

// Replaces (or creates) `path` with `bytes`; false with `error` naming the
// file and the reason.
bool rdbxml_replace_file(const std::string& path, const std::string& bytes, std::string& error);

// Removes the temporary files that runs which have ended left in `directory`.
void rdbxml_remove_stale_temporaries(const std::string& directory);
