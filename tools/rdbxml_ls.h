// `rdbxml ls FILE...`: the objects of reports by path, kind and size.
#pragma once

// argv[0] is "ls". Returns the exit status, as the main tool's.
int rdbxml_ls_main(int argc, char** argv);
