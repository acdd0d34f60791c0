# SISL is the reference of the B-spline evaluators; it is linked into the test binary only, never
# into the library.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
find_path(SISL_INCLUDE_DIR NAMES sisl.h REQUIRED)
target_include_directories(test_geometry SYSTEM PRIVATE ${SISL_INCLUDE_DIR})
target_link_libraries(test_geometry PRIVATE ${SISL_LIBRARY} m)
