#include <rdbxml/rdb_walk.h>

#include <utility>
#include <vector>

#include <rdbxml/rdb_folder.h>

void rdb_walk_folder_tree(const RDB_FOLDER_OBJECT& root, RDB_FOLDER_WALK_HANDLER& handler)
{
    // Each entry: a folder and the index of its next object.
    std::vector<std::pair<const RDB_FOLDER_OBJECT*, std::size_t>> open;
    handler.enter_folder(root, 0);
    open.emplace_back(&root, 0);
    while (!open.empty()) {
        const RDB_FOLDER_OBJECT* folder = open.back().first;
        std::size_t index = open.back().second;
        std::size_t depth = open.size() - 1;
        if (index >= folder->get_number_of_objects()) {
            open.pop_back();
            handler.leave_folder(*folder, depth);
            continue;
        }
        open.back().second = index + 1;
        const RDB_OBJECT* object = folder->get_object(index);
        if (object == nullptr)
            continue;
        if (const RDB_FOLDER_OBJECT* nested = object->dynamic_cast_to_RDB_FOLDER_OBJECT()) {
            handler.enter_folder(*nested, depth + 1);
            open.emplace_back(nested, 0);
        } else {
            handler.leaf(*object, depth + 1);
        }
    }
}
