# Eigen serves as the reference for the stiffness matrices and the principal values; it is used
# by the test binary only, never by the library.
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_model PRIVATE Eigen3::Eigen)
