# TestLabels.LABEL (tests/labels.cmake): asks CTest which tests carry LABEL
# and fails unless each of PATTERNS (comma-separated, gtest-style, "*" any
# text) matches at least one of them. Run with cmake -P in the build tree,
# with CTEST the ctest program.
foreach(var CTEST LABEL PATTERNS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_labels.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND ${CTEST} -N -L "^${LABEL}$"
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ctest -N -L ${LABEL} failed (${status}):\n${listing}")
endif()

# "  Test #12: ThreadTest.ManyParsesAtOnce"
string(REGEX MATCHALL "Test +#[0-9]+: [^\n]+" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^Test +#[0-9]+: " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
list(LENGTH names count)

string(REPLACE "," ";" patterns "${PATTERNS}")
set(missing)
foreach(pattern IN LISTS patterns)
  string(REPLACE "." "\\." regex "${pattern}")
  string(REPLACE "*" ".*" regex "${regex}")
  set(found FALSE)
  foreach(name IN LISTS names)
    if(name MATCHES "^${regex}$")
      set(found TRUE)
      break()
    endif()
  endforeach()
  if(NOT found)
    list(APPEND missing "${pattern}")
  endif()
endforeach()

if(missing)
  list(JOIN missing " " missing)
  message(FATAL_ERROR "label ${LABEL}: no test carries it for ${missing} "
    "(a suite renamed or gone? tests/labels.cmake names them); ${count} tests carry it")
endif()
message(STATUS "label ${LABEL}: ${count} tests, every pattern matched")
