# The material benchmark times our stiffness, table and region routines beside Eigen's fixed-size
# inverse and GSL's interpolation.
find_package(Eigen3 REQUIRED NO_MODULE)
find_package(GSL REQUIRED)
target_link_libraries(bench_material PRIVATE Eigen3::Eigen GSL::gsl)
