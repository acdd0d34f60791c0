# The slide-line benchmark solves each segment's foot cubic with GSL as its reference.
find_package(GSL REQUIRED)
target_link_libraries(bench_slide_lines PRIVATE GSL::gsl)
