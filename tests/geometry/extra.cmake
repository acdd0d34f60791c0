# References of the geometry tests, linked into the test binary only, never into the library:
# SISL for the B-spline evaluators; CGAL's exact predicates (with GMP and MPFR behind them) and
# Eigen for the plane, polygon, Bezier and line-facet intersection tests.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
find_path(SISL_INCLUDE_DIR NAMES sisl.h REQUIRED)
target_include_directories(test_geometry SYSTEM PRIVATE ${SISL_INCLUDE_DIR})
target_link_libraries(test_geometry PRIVATE ${SISL_LIBRARY} m)
find_package(CGAL REQUIRED)
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(test_geometry PRIVATE CGAL::CGAL Eigen3::Eigen)
