# The declarations of the upper-case routines are held against the lists in this folder by a
# source generated from them: a routine declared with another parameter count or result than
# listed does not compile.
file(GLOB routine_lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/upper_case_routines_*.txt)
file(GLOB_RECURSE installed_headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/include/zmx/*.h)
set(routine_shapes ${CMAKE_CURRENT_BINARY_DIR}/upper_case_routine_shapes.cpp)
add_custom_command(
  OUTPUT ${routine_shapes}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${routine_shapes} -DINCLUDE_DIR=${CMAKE_SOURCE_DIR}/include
          "-DROUTINE_LISTS=${routine_lists}" -P ${CMAKE_CURRENT_LIST_DIR}/upper_case_routines.cmake
  DEPENDS ${routine_lists} ${CMAKE_CURRENT_LIST_DIR}/upper_case_routines.cmake ${installed_headers}
  COMMENT "Holding the upper-case routine declarations against their lists"
  VERBATIM)
target_sources(test_abi PRIVATE ${routine_shapes})
