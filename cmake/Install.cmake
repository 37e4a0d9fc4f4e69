# `cmake --install` puts the header, Mokacomm.dll, its import library and a CMake package in place.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MOKACOMM_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Mokacomm)

install(TARGETS Mokacomm EXPORT MokacommTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/Mokacomm.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT MokacommTargets NAMESPACE Mokacomm:: DESTINATION ${MOKACOMM_PACKAGE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/MokacommConfig.cmake.in
  ${PROJECT_BINARY_DIR}/MokacommConfig.cmake INSTALL_DESTINATION ${MOKACOMM_PACKAGE_DIR})
# The version of the package is the VERSION file's, like that of the DLL's version resource.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MokacommConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MokacommConfig.cmake
              ${PROJECT_BINARY_DIR}/MokacommConfigVersion.cmake
        DESTINATION ${MOKACOMM_PACKAGE_DIR})
