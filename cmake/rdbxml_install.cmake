# Installation: the rdbxml tool; the parser library with the schema beside
# it (the parser looks for rdb_schema.xsd in its own directory); the report
# model and support libraries a host needs to walk a report; the public
# headers under include/rdbxml/; the example report and hierarchy; a CMake
# package (find_package(rdbxml), target rdbxml::rdb_xml) and a pkg-config
# file (rdbxml.pc). Every path inside the installed files is relative to
# where they lie, so an installed tree can be moved as a whole.
include(CMakePackageConfigHelpers)

set(RDBXML_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/rdbxml)
set(RDBXML_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The relative path from one installed directory to another (each given
# relative to the prefix, or absolute).
function(rdbxml_relative_dir out from to)
  foreach(dir IN ITEMS from to)
    if(NOT IS_ABSOLUTE "${${dir}}")
      set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
  endforeach()
  file(RELATIVE_PATH rel "${from}" "${to}")
  if(rel STREQUAL "")
    set(rel ".")
  endif()
  set(${out} ${rel} PARENT_SCOPE)
endfunction()

# Run paths: the libraries find each other in their own directory, the tool
# finds them from its bin directory.
rdbxml_relative_dir(rdbxml_bin_to_lib ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR})
set_target_properties(rdbsupport rdbmodel rdbwriters rdb_xml PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(rdbxml PROPERTIES INSTALL_RPATH "$ORIGIN/${rdbxml_bin_to_lib}")

install(TARGETS rdbsupport rdbmodel rdbwriters rdb_xml EXPORT rdbxmlTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS rdbxml RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/rdbxml.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/tools/completion/rdbxml.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME rdbxml)
install(FILES ${PROJECT_SOURCE_DIR}/db/rdb/rdb_schema.xsd DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The public headers: each part keeps those a host includes in its own
# include/rdbxml/ (everything they include is there too: the test of the
# installed tree checks the closure). They go to include/rdbxml/, and hosts
# include them as <rdbxml/rdb_report.h>: only include/ is on their path, so
# no bare name such as msg.h reaches it.
foreach(part IN ITEMS h support model writers db/rdb)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${part}/include/rdbxml
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/examples/report.xml ${PROJECT_SOURCE_DIR}/examples/hierarchy.txt
  DESTINATION ${CMAKE_INSTALL_DATADIR}/rdbxml/examples)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/consumer
  DESTINATION ${CMAKE_INSTALL_DATADIR}/rdbxml/examples)

# The CMake package.
install(EXPORT rdbxmlTargets NAMESPACE rdbxml:: DESTINATION ${RDBXML_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/rdbxmlConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/rdbxmlConfig.cmake
  INSTALL_DESTINATION ${RDBXML_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/rdbxmlConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/rdbxmlConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/rdbxmlConfigVersion.cmake
  DESTINATION ${RDBXML_INSTALL_CMAKEDIR})

# The pkg-config file: its prefix found from where the file lies, and the
# library and header directories below that prefix.
rdbxml_relative_dir(RDBXML_PC_TO_PREFIX ${RDBXML_INSTALL_PKGCONFIGDIR} .)
rdbxml_relative_dir(RDBXML_PC_LIBDIR . ${CMAKE_INSTALL_LIBDIR})
rdbxml_relative_dir(RDBXML_PC_INCLUDEDIR . ${CMAKE_INSTALL_INCLUDEDIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/rdbxml.pc.in ${CMAKE_CURRENT_BINARY_DIR}/rdbxml.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/rdbxml.pc DESTINATION ${RDBXML_INSTALL_PKGCONFIGDIR})
