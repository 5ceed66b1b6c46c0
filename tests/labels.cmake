# CTest labels: the subsets of the tests that are run on their own
# (ctest -L LABEL). Each label names the tests it holds by gtest-style
# patterns, "Suite.*" or "Suite.Test" or a plain test name, "*" matching
# any text. A label is given to a test where the test is made:
# rdbxml_label_tests for tests added with add_test, rdbxml_label_discovered
# for a gtest program, whose test names are known only when CTest reads the
# list the program gave at build time. (Discovering a program once per
# label with a TEST_FILTER would run it once more per label at build time,
# and need a filter for each set of labels a test may carry.)
#
# The test TestLabels.LABEL (of the label itself) fails when a pattern of
# the label selects no test, so that renaming a suite cannot quietly empty a
# subset.

set(RDBXML_TEST_LABELS tsan browser python slow)

# The concurrency tests, run once more in a ThreadSanitizer build of their
# own (make test-tsan).
set(RDBXML_TEST_LABEL_tsan
  ThreadTest.* ToolFilesAtOnce.* ToolCheckFiles.* ToolDiff.* PrefetchTest.* PrefetchParseTest.*
  PoolPrefault.* IndexThreads.*)
# The tests that start headless chromium.
set(RDBXML_TEST_LABEL_browser HtmlBrowserTest.* HtmlPage.*)
# The tests driven by pytest (or another Python tool) in Debian's interpreter.
set(RDBXML_TEST_LABEL_python
  PythonTests PythonStubs ToolCheckPython.* HtmlPage.* MallocSweep.Python*)
# The tests that take about 10 s or more each in a normal build on two
# loaded cores (ctest -j2; the malloc sweeps 15 to 90 s).
set(RDBXML_TEST_LABEL_slow
  MallocSweep.*
  PrefetchParseTest.DamageEndsTheParseAsWhenTheParserDecompressesItself
  PrefetchParseTest.CompressedReportsParseAsThePlainOneWithProgressOnTheParsingThread
  PrefetchParseTest.NoThreadOutlivesAParseThatEndsEarly
  PrefetchParseTest.WithoutAThreadTheParseDecompressesByItself
  PrefetchTest.DamageComesAfterEveryByteBeforeItWithTheStreamsReason
  PrefetchTest.SmallBlocksAndStepsThatDoNotDivideThem
  PrefetchTest.HandsOutTheStreamsBytesAndInputPositionsInOrder
  ToolIndex.TwoAtOnceBothEndWellOrTheSecondSaysItWaitedTooLong
  ToolMemoryLimit.WholeOutputOrExitOneNamingTheFile
  ToolWrites.EveryFailedWriteIsSaidAndCounted)
# The Python module's tests exist only where the module is built.
if(RDBXML_BUILD_PYTHON)
  list(APPEND RDBXML_TEST_LABEL_slow PythonTests)
endif()

# The regular expression that matches a name the patterns of LABEL match.
function(rdbxml_label_regex out label)
  set(alternatives)
  foreach(pattern IN LISTS RDBXML_TEST_LABEL_${label})
    string(REPLACE "." "\\." pattern "${pattern}")
    string(REPLACE "*" ".*" pattern "${pattern}")
    list(APPEND alternatives "${pattern}")
  endforeach()
  list(JOIN alternatives "|" joined)
  set(${out} "^(${joined})$" PARENT_SCOPE)
endfunction()

# Labels the tests NAME... (made with add_test in this directory).
function(rdbxml_label_tests)
  foreach(name IN LISTS ARGN)
    set(labels)
    foreach(label IN LISTS RDBXML_TEST_LABELS)
      rdbxml_label_regex(regex ${label})
      if(RDBXML_TEST_LABEL_${label} AND name MATCHES "${regex}")
        list(APPEND labels ${label})
      endif()
    endforeach()
    if(labels)
      set_tests_properties(${name} PROPERTIES LABELS "${labels}")
    endif()
  endforeach()
endfunction()

# Labels the tests that gtest_discover_tests found in TARGET (called after
# it, in the same directory). CTest runs the script written here right
# after the list of TARGET's tests, which leaves the names in ${TARGET}_TESTS.
function(rdbxml_label_discovered target)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake")
  set(content "# The labels of ${target}'s tests (tests/labels.cmake).\n")
  foreach(label IN LISTS RDBXML_TEST_LABELS)
    if(RDBXML_TEST_LABEL_${label})
      rdbxml_label_regex(regex ${label})
      string(APPEND content "set(rdbxml_label_regex_${label} [==[${regex}]==])\n")
    endif()
  endforeach()
  string(APPEND content [==[
foreach(rdbxml_test IN LISTS @target@_TESTS)
  set(rdbxml_labels)
  foreach(rdbxml_label IN ITEMS @RDBXML_TEST_LABELS@)
    if(DEFINED rdbxml_label_regex_${rdbxml_label} AND rdbxml_test MATCHES "${rdbxml_label_regex_${rdbxml_label}}")
      list(APPEND rdbxml_labels ${rdbxml_label})
    endif()
  endforeach()
  if(rdbxml_labels)
    set_tests_properties("${rdbxml_test}" PROPERTIES LABELS "${rdbxml_labels}")
  endif()
endforeach()
]==])
  list(JOIN RDBXML_TEST_LABELS " " label_words)
  string(REPLACE "@target@" "${target}" content "${content}")
  string(REPLACE "@RDBXML_TEST_LABELS@" "${label_words}" content "${content}")
  file(WRITE "${script}" "${content}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()

# TestLabels.LABEL for each label whose tests this build makes: every
# pattern of the label selects at least one test that carries it.
function(rdbxml_label_checks)
  foreach(label IN LISTS ARGN)
    if(NOT RDBXML_TEST_LABEL_${label})
      continue()
    endif()
    # The patterns joined with commas: a list's semicolons would split the
    # argument on its way through CTest.
    list(JOIN RDBXML_TEST_LABEL_${label} "," patterns)
    add_test(NAME TestLabels.${label}
      COMMAND ${CMAKE_COMMAND} -DCTEST=${CMAKE_CTEST_COMMAND} -DLABEL=${label} -DPATTERNS=${patterns}
        -P ${PROJECT_SOURCE_DIR}/tests/check_labels.cmake
      WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
    set_tests_properties(TestLabels.${label} PROPERTIES LABELS ${label})
  endforeach()
endfunction()
