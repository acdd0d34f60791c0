# The facet projection benchmark times our projections beside CGAL's closest point on a triangle.
find_package(CGAL REQUIRED)
target_link_libraries(bench_facet_projection PRIVATE CGAL::CGAL)
