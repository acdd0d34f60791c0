# GSL's Gauss-Legendre nodes are the reference for the shell section points; test binary only.
find_package(GSL REQUIRED)
target_link_libraries(test_odb PRIVATE GSL::gsl)
# The example host's output-database road, whose transcript is compared with its golden file.
target_sources(test_odb PRIVATE ${CMAKE_SOURCE_DIR}/examples/odb_road.cpp)
