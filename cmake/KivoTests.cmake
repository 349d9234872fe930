# Test registration shared by every test folder.
#
# On Linux each GoogleTest case becomes a ctest test (gtest_discover_tests). In the Windows tree
# the test programs run under Wine, whose start-up costs a second or more, so each program is one
# ctest test instead, started through the cross-compiling emulator (tests/win32/wine_run.sh).

# Test folders built for Windows; the others need POSIX-only things (fork, namespaces, the
# simulated camera, Qt) and are left out.
set(KIVO_WIN32_TEST_DIRS unit/app unit/platform unit/timer unit/net unit/camera unit/ui unit/forms unit/pool unit/media unit/cli
                          unit/win32 e2e/rig)

# Test folders that need neither a display nor a private network namespace (only loopback and
# temporary files): what the Debian package's build runs (-DKIVO_PURE_TESTS_ONLY=ON).
set(KIVO_PURE_TEST_DIRS unit/camera unit/cli unit/media unit/net unit/platform unit/timer)

macro(kivo_find_gtest)
  if(WIN32)
    # Debian ships GoogleTest as sources only for the cross compiler: build them here.
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(KIVO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    add_subdirectory(${KIVO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)  # newer GoogleTest sources define the aliases themselves
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endmacro()

# kivo_gtest(TARGET [gtest_discover_tests options...] [WIN32_LEAVES_OUT PATTERN...])
# WIN32_LEAVES_OUT names GoogleTest patterns the Windows tree does not run, each for a reason
# given beside it (something Windows cannot do, or Wine does differently from Windows).
function(kivo_gtest target)
  cmake_parse_arguments(arg "" "" "WIN32_LEAVES_OUT" ${ARGN})
  if(WIN32)
    set(filter "")
    if(arg_WIN32_LEAVES_OUT)
      list(JOIN arg_WIN32_LEAVES_OUT ":" patterns)
      set(filter "--gtest_filter=-${patterns}")
    endif()
    add_test(NAME ${target} COMMAND ${target} ${filter})
    set_tests_properties(${target} PROPERTIES LABELS win32 TIMEOUT 300 RUN_SERIAL ON)
  else()
    include(GoogleTest)
    gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS})
  endif()
endfunction()
