# The writer benchmark builds its model with the tests' model builder.
target_link_libraries(bench_odb_writer PRIVATE zmx_test_support)
