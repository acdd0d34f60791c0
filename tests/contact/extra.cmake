# CGAL's distances to points, segments and triangles are the reference of the global Bezier
# search; linked into the test binary only, never into the library.
find_package(CGAL REQUIRED)
target_link_libraries(test_contact PRIVATE CGAL::CGAL)
