# Eigen is the independent reference of the element-operator tests (eigen decompositions and
# matrix logarithms); it is linked into the test binary only, never into the library.
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_import PRIVATE Eigen3::Eigen)
