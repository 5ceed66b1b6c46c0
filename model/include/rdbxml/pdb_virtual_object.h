// The persistent-object bases every report object carries. The report model
// keeps its objects in memory only, so both bases are empty: they cost no
// storage and exist so that code written against them compiles unchanged.
#pragma once

class PDB_VIRTUAL_OBJECT_BASE {
protected:
    PDB_VIRTUAL_OBJECT_BASE() = default;
    ~PDB_VIRTUAL_OBJECT_BASE() = default;
};

// T is the most basic class of the hierarchy that derives from this base.
template <class T>
class PDB_VIRTUAL_OBJECT {
protected:
    PDB_VIRTUAL_OBJECT() = default;
    ~PDB_VIRTUAL_OBJECT() = default;
};
