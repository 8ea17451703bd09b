# Third-party code: GoogleTest from Debian's source, zlib, libjpeg, libmspack.

# GoogleTest is built from /usr/src/googletest with the project's compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gmock)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
  add_library(GTest::gmock ALIAS gmock)
endif()

include(ExternalProject)

# Fetches Debian's source package into dir once per build folder; marker is a
# file the unpacked source has.
function(ovalis_fetch_source package dir marker)
  if(EXISTS ${dir}/${marker})
    return()
  endif()
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-source-package ${package} ${dir}
    RESULT_VARIABLE fetch_rc)
  if(NOT fetch_rc EQUAL 0)
    message(FATAL_ERROR "could not fetch the ${package} source package")
  endif()
endfunction()

# libmspack (its compiled-help reader): Debian's source package built as a
# static library with the project's C compiler, cross for the program and
# natively under the sanitizers, with coverage for the fuzzers.
set(mspack_src ${CMAKE_BINARY_DIR}/_deps/libmspack-src)
set(mspack_prefix ${CMAKE_BINARY_DIR}/_deps/libmspack)
ovalis_fetch_source(libmspack ${mspack_src} configure)
# The library adds offsets read from the file without checking them; with
# -fwrapv a sum past the range wraps, as defined, and the reader's seek hook
# refuses the place it names.
set(mspack_cflags "-O2 -g -fwrapv")
if(OVALIS_NATIVE)
  list(JOIN OVALIS_SANITIZE " " mspack_sanitize)
  set(mspack_host)
  # It also shifts by counts read from the file and into an int's sign bit,
  # which C leaves undefined and the compilers here turn into the machine's
  # shift; the shift checks are left out for the library alone, so the
  # fuzzer can go past them.
  string(APPEND mspack_cflags " ${mspack_sanitize} -fno-sanitize=shift -fsanitize=fuzzer-no-link")
  set(mspack_ldflags "${mspack_sanitize}")
else()
  set(mspack_host --host=${OVALIS_MINGW_PREFIX})
  set(mspack_ldflags "")
endif()
ExternalProject_Add(libmspack_build
  SOURCE_DIR ${mspack_src}
  BINARY_DIR ${mspack_prefix}/build
  INSTALL_DIR ${mspack_prefix}
  # make does not notice changed flags: a new configuration starts afresh.
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E remove_directory <BINARY_DIR>/mspack
  COMMAND <SOURCE_DIR>/configure ${mspack_host} --prefix=<INSTALL_DIR>
    --disable-shared --enable-static
    CC=${CMAKE_C_COMPILER} CFLAGS=${mspack_cflags} LDFLAGS=${mspack_ldflags}
  # Installed by the build step, which names the library it leaves, so that
  # what links it is relinked when it changes.
  BUILD_COMMAND make libmspack.la
  COMMAND make install-libLTLIBRARIES install-includeHEADERS
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${mspack_prefix}/lib/libmspack.a
  LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
file(MAKE_DIRECTORY ${mspack_prefix}/include)
add_library(ovalis_mspack STATIC IMPORTED GLOBAL)
set_target_properties(ovalis_mspack PROPERTIES
  IMPORTED_LOCATION ${mspack_prefix}/lib/libmspack.a
  INTERFACE_INCLUDE_DIRECTORIES ${mspack_prefix}/include)
add_dependencies(ovalis_mspack libmspack_build)

if(OVALIS_NATIVE)
  # zlib: Debian's zlib source package (the release the Windows build's
  # libz-mingw-w64-dev is made from), compiled like the project's own code,
  # sanitizers and coverage counters too, so that the fuzzers are guided by
  # inflate's own branches. The library alone: no gz* file functions,
  # which nothing here calls.
  set(zlib_src ${CMAKE_BINARY_DIR}/_deps/zlib-src)
  ovalis_fetch_source(zlib ${zlib_src} inflate.c)
  set(zlib_sources adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr zutil)
  list(TRANSFORM zlib_sources PREPEND ${zlib_src}/)
  list(TRANSFORM zlib_sources APPEND .c)
  add_library(ovalis_zlib STATIC ${zlib_sources})
  target_include_directories(ovalis_zlib SYSTEM PUBLIC ${zlib_src})

  find_package(JPEG REQUIRED)
  add_library(ovalis_jpeg INTERFACE)
  target_link_libraries(ovalis_jpeg INTERFACE JPEG::JPEG)
  return()
endif()

# zlib: Debian's libz-mingw-w64-dev, linked statically.
add_library(ovalis_zlib INTERFACE)
target_link_libraries(ovalis_zlib INTERFACE /usr/i686-w64-mingw32/lib/libz.a)

# libjpeg: Debian's libjpeg-turbo source package, cross-built as a static
# library. The source is fetched once per build folder.
get_filename_component(ovalis_toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
set(jpeg_src ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo-src)
set(jpeg_prefix ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)
ovalis_fetch_source(libjpeg-turbo ${jpeg_src} CMakeLists.txt)
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
