// Walks a folder tree in document order without recursion: nested folders
// are kept on an explicit stack, so the depth of a tree costs heap, not
// call stack.
#pragma once

#include <cstddef>

class RDB_FOLDER_OBJECT;
class RDB_OBJECT;

class RDB_FOLDER_WALK_HANDLER {
public:
    virtual ~RDB_FOLDER_WALK_HANDLER() = default;
    // A folder starts; its objects follow, then leave_folder. `depth` is 0
    // for the folder the walk starts at.
    virtual void enter_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) = 0;
    virtual void leave_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) = 0;
    // An object that is not a folder, at the depth of its folder plus one.
    virtual void leaf(const RDB_OBJECT& object, std::size_t depth) = 0;
};

// Null objects in a folder are passed over.
void rdb_walk_folder_tree(const RDB_FOLDER_OBJECT& root, RDB_FOLDER_WALK_HANDLER& handler);
