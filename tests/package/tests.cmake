# The package's tests that need no rig, for either ABI's build (tests/CMakeLists.txt and
# tests/msvc/CMakeLists.txt include this).

# What the installed package tells programs of compilers other than the project's toolchains: a
# program of clang's GNU-style driver for the Microsoft ABI takes the msvc build, and one for ARM
# is refused by name rather than given the x86 or x64 libraries.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(x86 x86_64)
  set(arm aarch64)
  set(msvc_arm ARM64)
else()
  set(x86 i686)
  set(arm armv7)
  set(msvc_arm ARMV7)
endif()
if(MSVC)
  set(consumers "${x86}-pc-windows-msvc=found"
                "${arm}-pc-windows-msvc=Mokacomm has no ${msvc_arm} build")
else()
  set(consumers "${x86}-pc-windows-msvc=use the msvc build"
                "${arm}-w64-mingw32=Mokacomm has no ${arm} build")
endif()
add_test(NAME package_other_compilers
  COMMAND sh ${PROJECT_SOURCE_DIR}/tests/package/consumers.sh ${PROJECT_SOURCE_DIR}
          ${CMAKE_BINARY_DIR} ${consumers})
set_tests_properties(package_other_compilers PROPERTIES LABELS "unit;package" TIMEOUT 120)

# scripts/release.sh refuses a checkout whose changes are not committed: once, in the x86_64
# mingw-w64 build.
if(NOT MSVC AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_test(NAME release_dirty_tree
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/package/release_dirty.sh ${PROJECT_SOURCE_DIR})
  set_tests_properties(release_dirty_tree PROPERTIES LABELS "unit;package" TIMEOUT 60)
endif()
