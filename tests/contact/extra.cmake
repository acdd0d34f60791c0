# Eigen serves as the reference for the rotations of slave nodes; it is used by the test binary
# only, never by the library.
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_contact PRIVATE Eigen3::Eigen)
