# The gfortran programs that write the reference records and files the run-time tests compare with.
add_executable(format_reference ${CMAKE_CURRENT_LIST_DIR}/format_reference.f90)
add_executable(printer_reference ${CMAKE_CURRENT_LIST_DIR}/printer_reference.f90)
add_executable(unformatted_reference ${CMAKE_CURRENT_LIST_DIR}/unformatted_reference.f90)
add_dependencies(test_runtime format_reference printer_reference unformatted_reference)
target_compile_definitions(test_runtime PRIVATE
  FORMAT_REFERENCE="$<TARGET_FILE:format_reference>"
  PRINTER_REFERENCE="$<TARGET_FILE:printer_reference>"
  UNFORMATTED_REFERENCE="$<TARGET_FILE:unformatted_reference>")
