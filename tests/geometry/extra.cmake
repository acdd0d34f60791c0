# SISL is the reference of the B-spline evaluators; it is linked into the test binary only, never
# into the library.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
find_path(SISL_INCLUDE_DIR NAMES sisl.h REQUIRED)
target_include_directories(test_geometry SYSTEM PRIVATE ${SISL_INCLUDE_DIR})
target_link_libraries(test_geometry PRIVATE ${SISL_LIBRARY} m)
# CGAL (header-only, with GMP and MPFR behind its exact predicates) is the reference of the line-facet
# intersections; it too is linked into the test binary only.
find_path(CGAL_INCLUDE_DIR NAMES CGAL/intersections.h REQUIRED)
find_library(GMP_LIBRARY NAMES gmp REQUIRED)
find_library(MPFR_LIBRARY NAMES mpfr REQUIRED)
target_link_libraries(test_geometry PRIVATE ${MPFR_LIBRARY} ${GMP_LIBRARY})
