# `cmake --install` puts in place the headers, Mokacomm.dll and MokacommC.dll with their import
# libraries (Mokacomm.lib and MokacommC.lib in the Microsoft-ABI build, with their PDBs;
# libMokacomm.dll.a and libMokacommC.dll.a in the mingw-w64 build), MokacommC.def, and a CMake
# package with the imported targets Mokacomm::Mokacomm and Mokacomm::MokacommC.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MOKACOMM_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Mokacomm)

install(TARGETS Mokacomm MokacommC EXPORT MokacommTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/Mokacomm.h ${PROJECT_SOURCE_DIR}/include/MokacommC.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Beside the import libraries, MokacommC.dll's .def, from which a toolchain that takes neither
# makes one of its own (src/CMakeLists.txt says which .def).
install(FILES ${MOKACOMM_C_INSTALL_DEF} DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME MokacommC.def)
# The Microsoft-ABI DLLs' PDBs, where a debugger looks for them first: beside the DLLs.
if(MSVC)
  install(FILES $<TARGET_PDB_FILE:Mokacomm> $<TARGET_PDB_FILE:MokacommC>
          DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The GCC runtime DLLs that the i686 mingw-w64 DLL uses (cmake/GccRuntime.cmake).
if(MOKACOMM_GCC_RUNTIME_DLLS)
  install(FILES ${MOKACOMM_GCC_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(EXPORT MokacommTargets NAMESPACE Mokacomm:: DESTINATION ${MOKACOMM_PACKAGE_DIR})

# The package says which C++ ABI and architecture it carries, so that a program of another one
# does not take it.
if(MSVC)
  set(MOKACOMM_CXX_ABI msvc)
  set(MOKACOMM_CXX_ABI_HOSTS "Visual C++ or clang-cl")
else()
  set(MOKACOMM_CXX_ABI mingw)
  set(MOKACOMM_CXX_ABI_HOSTS "mingw-w64 (GCC)")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(MOKACOMM_ARCH x86)
else()
  set(MOKACOMM_ARCH x64)
endif()
# The check is written into this config and into that of the release archives
# (cmake/ReleaseArchive.cmake).
file(READ ${CMAKE_CURRENT_LIST_DIR}/MokacommAbiCheck.cmake MOKACOMM_ABI_CHECK)
set(MOKACOMM_RUNTIME_DEPENDENCIES)
foreach(dll ${MOKACOMM_GCC_RUNTIME_DLLS})
  get_filename_component(name ${dll} NAME)
  list(APPEND MOKACOMM_RUNTIME_DEPENDENCIES ${name})
endforeach()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/MokacommConfig.cmake.in
  ${PROJECT_BINARY_DIR}/MokacommConfig.cmake INSTALL_DESTINATION ${MOKACOMM_PACKAGE_DIR}
  PATH_VARS CMAKE_INSTALL_BINDIR)
# The version of the package is the VERSION file's, like that of the DLL's version resource.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MokacommConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MokacommConfig.cmake
              ${PROJECT_BINARY_DIR}/MokacommConfigVersion.cmake
        DESTINATION ${MOKACOMM_PACKAGE_DIR})
