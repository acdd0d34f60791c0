# The B-spline benchmark times our evaluators beside SISL's.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
find_path(SISL_INCLUDE_DIR NAMES sisl.h REQUIRED)
target_include_directories(bench_bspline_eval SYSTEM PRIVATE ${SISL_INCLUDE_DIR})
target_link_libraries(bench_bspline_eval PRIVATE ${SISL_LIBRARY} m)
