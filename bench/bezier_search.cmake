# The Bezier benchmark times the segment search beside SISL's closest point on a curve and builds
# its surfaces with the tests' builder; SISL is linked into this program only.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
target_link_libraries(bench_bezier_search PRIVATE ${SISL_LIBRARY} m)
target_sources(bench_bezier_search PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/bezier_surface.cpp)
