// Where the tool writes a page or a table. A regular file there, or none,
// is replaced atomically (rdbxml_replace_file.h); through a symbolic link,
// the file it points to is, and the link stays. Anything else that is
// there already (a device, a FIFO, a socket) is written through in place,
// as `cat > OUT` would: renaming a file over it would destroy it, and
// whoever reads it would never see the bytes. A FIFO is opened as cat
// opens it, waiting for its reader.
#pragma once

#include <string>

// Writes `bytes` to `path`; false with `error` naming the file and the
// reason.
bool rdbxml_write_file(const std::string& path, const std::string& bytes, std::string& error);
