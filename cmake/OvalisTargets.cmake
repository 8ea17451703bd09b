# Project-wide flags and the helpers that make one library per source folder
# and one test executable per tests/ folder.

set(OVALIS_WARNINGS -Wall -Wextra -Werror)

if(OVALIS_NATIVE)
  set(OVALIS_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_compile_options(${OVALIS_SANITIZE})
  # Coverage counters in every library, so the fuzzers are guided by the
  # parsers' own branches; the tests link without libFuzzer and ignore them.
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(${OVALIS_SANITIZE})
else()
  # Instruction set of the program (bench/references.cmake builds the
  # reference decoders with the same).
  set(OVALIS_ARCH_FLAGS -msse2 -mfpmath=sse)
  add_compile_options(${OVALIS_ARCH_FLAGS})
  add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
  # Large-address-aware: on 64-bit Windows the 32-bit program gets 4 GiB of
  # address space instead of 2.
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--large-address-aware)
endif()

# ovalis_library(<target> <folder> [WINDOWS_ONLY] [DEPS targets...] [EXCLUDE files...])
# Sources are the folder's *.cpp and *.c files. A file named *_win.cpp is
# built only for Windows, *_posix.cpp only natively. A WINDOWS_ONLY library
# is not built natively at all.
function(ovalis_library target folder)
  cmake_parse_arguments(ARG "WINDOWS_ONLY" "" "DEPS;EXCLUDE" ${ARGN})
  if(OVALIS_NATIVE AND ARG_WINDOWS_ONLY)
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${folder}/${excluded})
  endforeach()
  if(OVALIS_NATIVE)
    list(FILTER sources EXCLUDE REGEX "_win\\.(cpp|c)$")
  else()
    list(FILTER sources EXCLUDE REGEX "_posix\\.(cpp|c)$")
  endif()
  if(NOT sources)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    if(ARG_DEPS)
      target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    endif()
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${OVALIS_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# ovalis_tests(<folder> [WINDOWS_ONLY] [TIMEOUT s] [LOCK name] [LIBS targets...]
#              [WINDOWS_ENVIRONMENT VAR=value...])
# Tests of folders that share a LOCK never run at the same time (they share
# the registry key or the screen of the program they drive).
# One executable per tests/<folder>: its *_test.cpp files (*_win_test.cpp only
# for Windows). A test_main.cpp in the folder replaces gtest_main. Data files
# live in tests/<folder>/data and are found through OVALIS_TEST_DATA. The
# Windows tests run with WINDOWS_ENVIRONMENT set for Wine.
function(ovalis_tests folder)
  cmake_parse_arguments(ARG "WINDOWS_ONLY" "TIMEOUT;LOCK" "LIBS;WINDOWS_ENVIRONMENT" ${ARGN})
  if(OVALIS_NATIVE AND ARG_WINDOWS_ONLY)
    return()
  endif()
  set(dir ${CMAKE_SOURCE_DIR}/tests/${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  if(OVALIS_NATIVE)
    list(FILTER sources EXCLUDE REGEX "_win_test\\.cpp$")
  endif()
  if(NOT sources)
    return()
  endif()
  string(REPLACE "/" "_" name "tests_${folder}")
  add_executable(${name} ${sources})
  if(EXISTS ${dir}/test_main.cpp)
    target_sources(${name} PRIVATE ${dir}/test_main.cpp)
    target_link_libraries(${name} PRIVATE GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE GTest::gmock GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${OVALIS_WARNINGS})
  # Under Wine the data folder is reached through Z:, so pass it as a Windows path.
  if(OVALIS_NATIVE)
    set(data_dir ${dir}/data)
  else()
    string(REPLACE "/" "\\\\" data_dir "Z:${dir}/data")
  endif()
  target_compile_definitions(${name} PRIVATE OVALIS_TEST_DATA="${data_dir}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(environment "")
  if(NOT OVALIS_NATIVE AND ARG_WINDOWS_ENVIRONMENT)
    set(environment ENVIRONMENT "${ARG_WINDOWS_ENVIRONMENT}")
  endif()
  set(lock_property)
  if(ARG_LOCK)
    set(lock_property RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} ${environment} ${lock_property})
endfunction()
