# Writes OUT, a C++ source holding the page's style sheet and script as
# string constants: the CSS files of STYLES one after another, and the JS
# files of SCRIPTS inside one strict function scope, so that the parts share
# their helpers and leave nothing on the page's global object.
#   cmake -DOUT=... -DDIR=... -DSTYLES=a.css,b.css -DSCRIPTS=a.js,b.js -P embed.cmake
string(REPLACE "," ";" STYLES "${STYLES}")
string(REPLACE "," ";" SCRIPTS "${SCRIPTS}")
set(DELIMITER "RDB_PAGE")

function(append_file VAR FILE)
  file(READ "${DIR}/${FILE}" TEXT)
  string(FIND "${TEXT}" ")${DELIMITER}\"" CLASH)
  if(NOT CLASH EQUAL -1)
    message(FATAL_ERROR "${FILE} holds the raw string's delimiter")
  endif()
  set(${VAR} "${${VAR}}${TEXT}" PARENT_SCOPE)
endfunction()

set(STYLE "")
foreach(FILE IN LISTS STYLES)
  append_file(STYLE ${FILE})
endforeach()
set(SCRIPT "(function () {\n\"use strict\";\n")
foreach(FILE IN LISTS SCRIPTS)
  append_file(SCRIPT ${FILE})
endforeach()
# The script is inline: a script tag or a comment opening in its text,
# even in a comment of the script's own, would end it or change how the
# page is read.
string(TOLOWER "${SCRIPT}" LOWER)
foreach(CLASH "<script" "</script" "<!--")
  string(FIND "${LOWER}" "${CLASH}" AT)
  if(NOT AT EQUAL -1)
    message(FATAL_ERROR "the page's script holds \"${CLASH}\": write it otherwise")
  endif()
endforeach()
set(SCRIPT "${SCRIPT}})();\n")

file(WRITE "${OUT}.tmp"
  "// Made by writers/page/embed.cmake from the files in writers/page/.\n"
  "#include \"rdb_html_assets.h\"\n\n"
  "const char* const RDB_HTML_STYLE = R\"${DELIMITER}(${STYLE})${DELIMITER}\";\n\n"
  "const char* const RDB_HTML_SCRIPT = R\"${DELIMITER}(${SCRIPT})${DELIMITER}\";\n")
# Only a changed text touches the source, so an unchanged page is not rebuilt.
configure_file("${OUT}.tmp" "${OUT}" COPYONLY)
file(REMOVE "${OUT}.tmp")
