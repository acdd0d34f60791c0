# References of the contact tests, linked into the test binary only, never into the library:
# CGAL's distances to points, segments and triangles for the global Bezier search, Eigen for the
# rotations of slave nodes.
find_package(CGAL REQUIRED)
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_contact PRIVATE CGAL::CGAL Eigen3::Eigen)
