# The small-sliding benchmark times the clearances beside fixed-size Eigen versions of the same
# work; Eigen is header-only and used by this program only.
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(bench_small_sliding PRIVATE Eigen3::Eigen)
