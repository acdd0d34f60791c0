# Eigen serves as the reference for the stiffness matrices and the principal values; it is used
# by the test binary only, never by the library.
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_model PRIVATE Eigen3::Eigen)

# gfortran writes the expected records of the printed step, control and contact echoes.
add_executable(expected_lines ${CMAKE_CURRENT_LIST_DIR}/printers/expected_lines.f90)
add_dependencies(test_model expected_lines)
target_compile_definitions(test_model PRIVATE EXPECTED_LINES="$<TARGET_FILE:expected_lines>")
