# The reference BLAS is the independent oracle of the matrix kernels.
find_package(BLAS REQUIRED)
target_link_libraries(test_numerics PRIVATE ${BLAS_LIBRARIES})
