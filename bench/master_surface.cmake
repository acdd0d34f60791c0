# The master-surface benchmark times our projection beside CGAL's AABB tree.
find_package(CGAL REQUIRED)
target_link_libraries(bench_master_surface PRIVATE CGAL::CGAL)
