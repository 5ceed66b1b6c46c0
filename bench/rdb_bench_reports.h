// Reports that each push one count or depth of a report far: the scale
// sweep's inputs (rdb_bench_scale), which the tests build again at the size
// where a cost that grew faster than the input would show. Every report is
// made in memory, the same bytes for the same arguments.
#pragma once

#include <cstddef>
#include <string>

// `folders` folders "f0", "f1", ..., each placed in the one before, the
// first in the main folder "main": a chain `folders` deep. With
// `deep_leaf`, a text object "deep" at its bottom.
std::string rdb_bench_folder_chain(std::size_t folders, bool deep_leaf = false);

// A chain of `depth` folders, then `folders` folders that each hold a text
// object before they are placed, one after another, at the chain's bottom.
std::string rdb_bench_filled_folders_under_chain(std::size_t depth, std::size_t folders);

// A table of `cells` empty string cells in one row, whose document's DTD
// gives every string_cell a name of `length` characters by default.
std::string rdb_bench_defaulted_attributes(std::size_t length, std::size_t cells);

// A table of `cells` empty int_cell elements before any row: a warning each.
std::string rdb_bench_cells_before_any_row(std::size_t cells);
