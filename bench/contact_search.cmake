# The contact search benchmark times our tree and search beside CGAL's AABB tree and Embree's
# point queries.
find_package(CGAL REQUIRED)
find_package(embree 3 REQUIRED)
target_link_libraries(bench_contact_search PRIVATE CGAL::CGAL embree)
