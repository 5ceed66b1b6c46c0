// Which folder tree each folder of a parse is in, so that placing a folder
// costs no walk up a chain of owners: a folder chain a million deep with
// folders placed at its bottom would otherwise cost the depth per placement.
//
// A parse only ever joins trees (a placement puts an object that has no
// owner, the root of its own tree, into a folder), so a union-find with
// path compression and union by size knows each tree's root in near-constant
// amortised time. Only placements of folders into folders are told: no other
// object holds one, and the report's store, which holds the main folder and
// the unplaced objects, is never placed.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

class RDB_FOLDER_OBJECT;
class RDB_OBJECT;

class RDB_XML_FOLDER_TREES {
public:
    // Makes room for both folders, so that joined() allocates nothing;
    // false when there is no memory for it.
    bool prepare(const RDB_FOLDER_OBJECT* folder, const RDB_FOLDER_OBJECT* placed);
    // The root of `folder`'s tree: the last of its chain of folders.
    const RDB_OBJECT* root_of(const RDB_FOLDER_OBJECT* folder);
    // `placed`, a folder with no owner until now, is in `folder` now. Both
    // were prepared.
    void joined(const RDB_FOLDER_OBJECT* placed, const RDB_FOLDER_OBJECT* folder);

private:
    struct NODE {
        std::size_t m_up;    // itself for the representative of a tree
        std::size_t m_size;  // the representative's: folders in the tree
        const RDB_OBJECT* m_root;  // the representative's: the tree's root
    };
    std::size_t node(const RDB_FOLDER_OBJECT* folder);
    std::size_t representative(std::size_t n);

    std::vector<NODE> m_nodes;
    std::unordered_map<const RDB_FOLDER_OBJECT*, std::size_t> m_index;
};

// Places `object` in `folder` as RDB_FOLDER_OBJECT::add_object_to_list
// does, and with the same refusals, for the running parse: a folder is
// checked for a cycle against its tree's root. No memory for that ends the
// parse.
bool rdb_xml_place_in_folder(RDB_FOLDER_OBJECT* folder, RDB_OBJECT* object);
// Whether placing `object` in `folder` would put a folder inside itself.
bool rdb_xml_would_make_cycle(RDB_FOLDER_OBJECT* folder, RDB_OBJECT* object);
