# Reference decoders for the picture benchmarks: libpng, giflib and libtiff from
# Debian's source packages, cross-built as static libraries for the bench
# only (the program never links them). Their sources are fetched when the
# benchmarks are built, never by an ordinary build.
include(ExternalProject)
get_filename_component(bench_toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
set(bench_fetch ${CMAKE_SOURCE_DIR}/tools/fetch-source-package)
set(mingw_prefix /usr/i686-w64-mingw32)
# The references are built with the program's optimisation and instruction-set
# flags, so that a ratio compares code, not compiler settings.
string(TOUPPER "${CMAKE_BUILD_TYPE}" bench_config)
list(JOIN OVALIS_ARCH_FLAGS " " bench_arch)
set(bench_cflags "${CMAKE_C_FLAGS_${bench_config}} ${bench_arch}")

set(libpng_prefix ${CMAKE_BINARY_DIR}/_deps/bench-libpng)
ExternalProject_Add(bench_libpng_build
  EXCLUDE_FROM_ALL TRUE
  PREFIX ${libpng_prefix}
  DOWNLOAD_COMMAND ${bench_fetch} libpng1.6 <SOURCE_DIR>
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${bench_toolchain}
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DCMAKE_C_FLAGS=${bench_arch}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    -DZLIB_LIBRARY=${mingw_prefix}/lib/libz.a -DZLIB_INCLUDE_DIR=${mingw_prefix}/include
  BUILD_BYPRODUCTS ${libpng_prefix}/lib/libpng16.a
  LOG_DOWNLOAD ON LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
file(MAKE_DIRECTORY ${libpng_prefix}/include)
add_library(bench_libpng STATIC IMPORTED GLOBAL)
set_target_properties(bench_libpng PROPERTIES
  IMPORTED_LOCATION ${libpng_prefix}/lib/libpng16.a
  INTERFACE_INCLUDE_DIRECTORIES ${libpng_prefix}/include
  INTERFACE_LINK_LIBRARIES ${mingw_prefix}/lib/libz.a)
add_dependencies(bench_libpng bench_libpng_build)

set(giflib_prefix ${CMAKE_BINARY_DIR}/_deps/bench-giflib)
ExternalProject_Add(bench_giflib_build
  EXCLUDE_FROM_ALL TRUE
  PREFIX ${giflib_prefix}
  DOWNLOAD_COMMAND ${bench_fetch} giflib <SOURCE_DIR>
  CONFIGURE_COMMAND ""
  BUILD_IN_SOURCE TRUE
  BUILD_COMMAND make CC=i686-w64-mingw32-gcc AR=i686-w64-mingw32-ar
                "CFLAGS=-std=gnu99 ${bench_cflags} -Wall" libgif.a
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${giflib_prefix}/src/bench_giflib_build/libgif.a
  LOG_DOWNLOAD ON LOG_BUILD ON)
file(MAKE_DIRECTORY ${giflib_prefix}/src/bench_giflib_build)
add_library(bench_giflib STATIC IMPORTED GLOBAL)
set_target_properties(bench_giflib PROPERTIES
  IMPORTED_LOCATION ${giflib_prefix}/src/bench_giflib_build/libgif.a
  INTERFACE_INCLUDE_DIRECTORIES ${giflib_prefix}/src/bench_giflib_build)
add_dependencies(bench_giflib bench_giflib_build)

set(libtiff_prefix ${CMAKE_BINARY_DIR}/_deps/bench-libtiff)
ExternalProject_Add(bench_libtiff_build
  EXCLUDE_FROM_ALL TRUE
  PREFIX ${libtiff_prefix}
  DOWNLOAD_COMMAND ${bench_fetch} tiff <SOURCE_DIR>
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${bench_toolchain}
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DCMAKE_C_FLAGS=${bench_arch}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF
    # JPEG strips through the program's own libjpeg build.
    -Dcxx=OFF -Djpeg=ON -DJPEG_LIBRARY=${jpeg_prefix}/lib/libjpeg.a -DJPEG_INCLUDE_DIR=${jpeg_prefix}/include
    -Dold-jpeg=OFF -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF
    -Dlibdeflate=OFF -Dpixarlog=OFF -Dtiff-opengl=OFF -Dzlib=ON
    -DZLIB_LIBRARY=${mingw_prefix}/lib/libz.a -DZLIB_INCLUDE_DIR=${mingw_prefix}/include
  BUILD_BYPRODUCTS ${libtiff_prefix}/lib/libtiff.a
  LOG_DOWNLOAD ON LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
file(MAKE_DIRECTORY ${libtiff_prefix}/include)
add_library(bench_libtiff STATIC IMPORTED GLOBAL)
set_target_properties(bench_libtiff PROPERTIES
  IMPORTED_LOCATION ${libtiff_prefix}/lib/libtiff.a
  INTERFACE_INCLUDE_DIRECTORIES ${libtiff_prefix}/include
  INTERFACE_LINK_LIBRARIES "${jpeg_prefix}/lib/libjpeg.a;${mingw_prefix}/lib/libz.a")
add_dependencies(bench_libtiff_build libjpeg_build)
add_dependencies(bench_libtiff bench_libtiff_build)

# stb_image from Debian's libstb source: one header, compiled here by the
# program's own compiler and flags, for the Targa, Photoshop and PPM readers.
set(stb_prefix ${CMAKE_BINARY_DIR}/_deps/bench-stb)
ExternalProject_Add(bench_stb_fetch
  EXCLUDE_FROM_ALL TRUE
  PREFIX ${stb_prefix}
  DOWNLOAD_COMMAND ${bench_fetch} libstb <SOURCE_DIR>
  CONFIGURE_COMMAND "" BUILD_COMMAND "" INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${stb_prefix}/src/bench_stb_fetch/stb_image.h
  LOG_DOWNLOAD ON)
add_library(bench_stb STATIC EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/stb_image_impl.c)
target_include_directories(bench_stb SYSTEM PUBLIC ${stb_prefix}/src/bench_stb_fetch)
add_dependencies(bench_stb bench_stb_fetch)
