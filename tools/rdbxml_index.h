// `rdbxml index DB FILE|DIR...`: keeps an SQLite index of runs
// (index/rdb_index.h): each file's figures, the file read again only when
// it changed.
#pragma once

// argv[0] is "index". Returns the exit status, as the main tool's.
int rdbxml_index_main(int argc, char** argv);
