# Installation: the rdbxml tool; the parser library with the schema beside
# it (the parser looks for rdb_schema.xsd in its own directory); the report
# model and support libraries a host needs to walk a report; the public
# headers under include/rdbxml/; the example report and hierarchy; a CMake
# package (find_package(rdbxml), target rdbxml::rdb_xml) and a pkg-config
# file (rdbxml.pc). Every path inside the installed files is relative to
# where they lie, so an installed tree can be moved as a whole.
include(CMakePackageConfigHelpers)

set(RDBXML_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/rdbxml)
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
set_target_properties(rdbsupport rdbmodel rdb_xml PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(rdbxml PROPERTIES INSTALL_RPATH "$ORIGIN/${rdbxml_bin_to_lib}")

install(TARGETS rdbsupport rdbmodel rdb_xml EXPORT rdbxmlTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS rdbxml RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/db/rdb/rdb_schema.xsd DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The headers a host includes to call the parser and walk, write and
# release the report it returns, with everything they include (and nothing
# else: the test of the installed tree checks the closure). They go to
# include/rdbxml/, and hosts include them as <rdbxml/rdb_report.h>: only
# include/ is on their path, so no bare name such as msg.h reaches it.
set(RDBXML_PUBLIC_HEADERS
  db/rdb/rdb_xml.h
  model/pdb_virtual_object.h
  model/rdb_cells.h
  model/rdb_chart.h
  model/rdb_embedded.h
  model/rdb_folder.h
  model/rdb_html_writer.h
  model/rdb_json_writer.h
  model/rdb_memory.h
  model/rdb_object.h
  model/rdb_report.h
  model/rdb_report_tree.h
  model/rdb_summary.h
  model/rdb_table.h
  model/rdb_tan.h
  model/rdb_text.h
  model/rdb_text_writer.h
  model/rdb_types.h
  model/rdb_visitor.h
  model/rdb_walk.h
  support/hdb_instance.h
  support/mem_allocator.h
  support/mem_manager.h
  support/mem_pool.h
  support/msg.h
  support/stl_string.h
  support/stl_vector.h
  h/gen_pointer_range.h
  h/mem_alloc_sys.h)
list(TRANSFORM RDBXML_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/)
install(FILES ${RDBXML_PUBLIC_HEADERS} DESTINATION ${RDBXML_INSTALL_INCLUDEDIR})

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
