# Third-party code: GoogleTest from Debian's source, zlib, libjpeg.

# GoogleTest is built from /usr/src/googletest with the project's compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gmock)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
  add_library(GTest::gmock ALIAS gmock)
endif()

if(OVALIS_NATIVE)
  find_package(ZLIB REQUIRED)
  find_package(JPEG REQUIRED)
  add_library(ovalis_zlib INTERFACE)
  target_link_libraries(ovalis_zlib INTERFACE ZLIB::ZLIB)
  add_library(ovalis_jpeg INTERFACE)
  target_link_libraries(ovalis_jpeg INTERFACE JPEG::JPEG)
  return()
endif()

# zlib: Debian's libz-mingw-w64-dev, linked statically.
add_library(ovalis_zlib INTERFACE)
target_link_libraries(ovalis_zlib INTERFACE /usr/i686-w64-mingw32/lib/libz.a)

# libjpeg: Debian's libjpeg-turbo source package, cross-built as a static
# library. The source is fetched once per build folder.
include(ExternalProject)
get_filename_component(ovalis_toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
set(jpeg_src ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo-src)
set(jpeg_prefix ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)
if(NOT EXISTS ${jpeg_src}/CMakeLists.txt)
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-libjpeg-source ${jpeg_src}
    RESULT_VARIABLE jpeg_fetch_rc)
  if(NOT jpeg_fetch_rc EQUAL 0)
    message(FATAL_ERROR "could not fetch the libjpeg-turbo source package")
  endif()
endif()
ExternalProject_Add(libjpeg_build
  SOURCE_DIR ${jpeg_src}
  BINARY_DIR ${jpeg_prefix}/build
  INSTALL_DIR ${jpeg_prefix}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${ovalis_toolchain}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
  BUILD_BYPRODUCTS ${jpeg_prefix}/lib/libjpeg.a
  LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
file(MAKE_DIRECTORY ${jpeg_prefix}/include)
add_library(ovalis_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(ovalis_jpeg PROPERTIES
  IMPORTED_LOCATION ${jpeg_prefix}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_prefix}/include)
add_dependencies(ovalis_jpeg libjpeg_build)
