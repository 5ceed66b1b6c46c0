// Folders declared during a parse. A folder that no "folder_ref" placed
// belongs to nobody in the report tree; the report keeps it so that it is
// released with it. The list belongs to the parse (rdb_xml_context.h).
#pragma once

class RDB_FOLDER_OBJECT;
class RDB_REPORT;

// Remembers a folder that the "folders" element declared. Memory running
// out ends the parse; the folder is then released with the others.
void rdb_xml_remember_folder(RDB_FOLDER_OBJECT* folder);
// Hands every remembered folder that has no owner to the report, each noted
// as passed over, and forgets them all. Memory running out ends the parse.
void rdb_xml_keep_unplaced_folders(RDB_REPORT* report);
// Releases every remembered folder that has no owner and forgets them all:
// the parse is being given up.
void rdb_xml_release_unplaced_folders();
