# The same sources give the same binaries and debug information in any folder, so that a release
# can be built again byte for byte (scripts/release.sh --verify). The debug information names the
# project's files as if the project were at C:\mokacomm, and the images carry no time of their own.
if(MSVC)
  # clang-cl 14 and lld-link record their whole command lines in the debug information, where no
  # path map reaches: relative-paths.sh writes the project's paths there relative to the working
  # folder. lld-link makes the PDB's relative paths absolute under /pdbsourcepath; /Brepro stamps
  # the image with a hash of its contents.
  foreach(lang C CXX)
    set(CMAKE_${lang}_COMPILER_LAUNCHER
        ${CMAKE_CURRENT_LIST_DIR}/relative-paths.sh ${PROJECT_SOURCE_DIR})
    set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_${lang}_COMPILER_LAUNCHER})
  endforeach()
  target_compile_options(mokacomm_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:
    /clang:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=C:/mokacomm /clang:-ffile-compilation-dir=.>)
  target_link_options(mokacomm_options INTERFACE /Brepro /pdbsourcepath:C:/mokacomm)
else()
  target_compile_options(mokacomm_options INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=C:/mokacomm>)
  target_link_options(mokacomm_options INTERFACE -Wl,--no-insert-timestamp)
endif()
