# References of the contact tests, linked into the test binary only, never into the library:
# CGAL's distances to points, segments and triangles for the global Bezier search, Eigen for the
# rotations of slave nodes.
find_package(CGAL REQUIRED)
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_contact PRIVATE CGAL::CGAL Eigen3::Eigen)
# SISL's closest points are the reference of the rigid B-spline curve search.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
find_path(SISL_INCLUDE_DIR NAMES sisl.h REQUIRED)
target_include_directories(test_contact SYSTEM PRIVATE ${SISL_INCLUDE_DIR})
target_link_libraries(test_contact PRIVATE ${SISL_LIBRARY} m)
