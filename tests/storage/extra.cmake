# The gfortran program that writes the lines the debug-dump writers must reproduce.
add_executable(dump_reference ${CMAKE_CURRENT_LIST_DIR}/dump_reference.f90)
add_dependencies(test_storage dump_reference unformatted_reference)
target_compile_definitions(test_storage PRIVATE
  DUMP_REFERENCE="$<TARGET_FILE:dump_reference>"
  UNFORMATTED_REFERENCE="$<TARGET_FILE:unformatted_reference>")
