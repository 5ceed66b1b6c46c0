// A tiny shared library of the support tests: the module path seen from
// code inside it.
#include "gen_util.h"

STL_STRING support_module_path_from_library() { return gen_get_module_path(); }
