// A new directory of this process's own under $RDBXML_TEST_TMP (or /tmp),
// named PREFIX-XXXXXX: the tests of one program may run as several
// processes at once. Empty when it cannot be made.
#pragma once

#include <string>

std::string test_scratch_dir(const std::string& prefix);
