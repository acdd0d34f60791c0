# LAPACK serves as the reference for the dense solvers, the eigenproblem and the band solver;
# it is linked into the test binary only, never into the library.
find_package(LAPACK REQUIRED)
target_link_libraries(test_numerics PRIVATE LAPACK::LAPACK)
