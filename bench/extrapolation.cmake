# The extrapolation benchmark times ELNEXT and LC3DGC beside fixed-size Eigen evaluations of the
# same work (Eigen is header-only; the library itself never includes it).
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(bench_extrapolation PRIVATE Eigen3::Eigen)
