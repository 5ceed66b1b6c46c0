// A tiny shared library of the support tests: it reports the module path
// seen from code inside it.
#pragma once

#include "stl_string.h"

STL_STRING support_module_path_from_library();
