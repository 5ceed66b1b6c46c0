#include "rdb_xml_unplaced.h"

#include <vector>

#include "rdb_report.h"

namespace {

std::vector<RDB_FOLDER_OBJECT*>& declared_folders()
{
    static std::vector<RDB_FOLDER_OBJECT*> folders;
    return folders;
}

}  // namespace

void rdb_xml_remember_folder(RDB_FOLDER_OBJECT* folder)
{
    if (folder != nullptr)
        declared_folders().push_back(folder);
}

void rdb_xml_keep_unplaced_folders(RDB_REPORT* report)
{
    for (RDB_FOLDER_OBJECT* folder : declared_folders())
        if (folder->get_owner() == nullptr)
            report->adopt_unplaced(folder);
    declared_folders().clear();
}

void rdb_xml_forget_folders()
{
    declared_folders().clear();
    declared_folders().shrink_to_fit();
}
