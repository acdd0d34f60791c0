# The import kernels are timed beside a per-element Eigen reference (header-only, bench only).
find_package(Eigen3 REQUIRED NO_MODULE)
target_link_libraries(bench_import_kernels PRIVATE Eigen3::Eigen)
