# The foot-point benchmark times our projections beside SISL's closest-point iterations.
find_library(SISL_LIBRARY NAMES sisl REQUIRED)
find_path(SISL_INCLUDE_DIR NAMES sisl.h REQUIRED)
target_include_directories(bench_foot_points SYSTEM PRIVATE ${SISL_INCLUDE_DIR})
target_link_libraries(bench_foot_points PRIVATE ${SISL_LIBRARY} m)
