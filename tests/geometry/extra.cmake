# CGAL's exact predicates and Eigen are the references of the plane, polygon and Bezier tests;
# they are linked into the test binary only, never into the library.
find_package(CGAL REQUIRED)
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_geometry PRIVATE CGAL::CGAL Eigen3::Eigen)
