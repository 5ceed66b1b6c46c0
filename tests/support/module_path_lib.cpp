#include "module_path_lib.h"

#include "gen_util.h"

STL_STRING support_module_path_from_library() { return gen_get_module_path(); }
