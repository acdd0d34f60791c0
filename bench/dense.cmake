# The dense benchmark times our solvers beside LAPACK's.
find_package(LAPACK REQUIRED)
target_link_libraries(bench_dense PRIVATE LAPACK::LAPACK)
