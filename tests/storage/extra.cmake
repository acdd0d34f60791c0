# The gfortran program that writes the lines the debug-dump writers must reproduce.
add_executable(dump_reference ${CMAKE_CURRENT_LIST_DIR}/units/dump_reference.f90)
add_dependencies(test_storage dump_reference unformatted_reference)
target_compile_definitions(test_storage PRIVATE
  DUMP_REFERENCE="$<TARGET_FILE:dump_reference>"
  UNFORMATTED_REFERENCE="$<TARGET_FILE:unformatted_reference>")

# The gfortran program that writes reference real items, and the independent reader of results
# files in Python.
add_executable(real_items_reference ${CMAKE_CURRENT_LIST_DIR}/results/real_items_reference.f90)
add_dependencies(test_storage real_items_reference)
target_compile_definitions(test_storage PRIVATE
  REAL_ITEMS_REFERENCE="$<TARGET_FILE:real_items_reference>"
  RESULTS_READER_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/results/results_reader.py")
