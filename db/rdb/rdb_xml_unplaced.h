// Folders declared during a parse. A folder that no "folder_ref" placed
// belongs to nobody in the report tree; the report keeps it so that it is
// released with the report.
#pragma once

class RDB_FOLDER_OBJECT;
class RDB_REPORT;

// Remembers a folder that the "folders" element declared.
void rdb_xml_remember_folder(RDB_FOLDER_OBJECT* folder);
// Hands every remembered folder that has no owner to the report.
void rdb_xml_keep_unplaced_folders(RDB_REPORT* report);
void rdb_xml_forget_folders();
