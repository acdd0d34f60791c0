# zmx_versioned(target): the project's version on a shared library (libX.so.1 -> libX.so.1.0.0),
# the C++ standard and the public headers for whoever links it, in the tree and once installed.
function(zmx_versioned target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
                                              $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
endfunction()

# zmx_shared_library(name DIR dir [LINK libs...]): one shared library from every .cpp of a folder.
function(zmx_shared_library name)
  cmake_parse_arguments(ARG "" "DIR" "LINK" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  add_library(${name} SHARED ${srcs})
  zmx_versioned(${name})
  # The run-time and stand-in headers are for the tree only; they are not installed.
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>)
  if(ARG_LINK)
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
  endif()
endfunction()
