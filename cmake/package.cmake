# Installation: the libraries with their SONAME versions, the public headers, a CMake package
# (find_package(ZMXshr 1.0 CONFIG) gives ZMXshr::zmxshr) and the pkg-config file zmxshr.pc.
include(CMakePackageConfigHelpers)

set(ZMX_INSTALLED_LIBRARIES zmxshr zmxrt zmxeqc zmxdm2 zmxglo zmxutl zmxinp zmxbdo)
install(TARGETS ${ZMX_INSTALLED_LIBRARIES} EXPORT ZMXshrTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/zmx DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(ZMX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZMXshr)
install(EXPORT ZMXshrTargets NAMESPACE ZMXshr:: DESTINATION ${ZMX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZMXshrConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/ZMXshrConfig.cmake INSTALL_DESTINATION ${ZMX_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZMXshrConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ZMXshrConfig.cmake ${CMAKE_BINARY_DIR}/ZMXshrConfigVersion.cmake
        DESTINATION ${ZMX_CMAKE_DIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/zmxshr.pc.in ${CMAKE_BINARY_DIR}/zmxshr.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/zmxshr.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
