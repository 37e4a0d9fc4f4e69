# The files at the top of the release archive of this build's ABI, which holds the builds of both
# architectures (packaging/make_archives.py takes them from the build trees' archive/ folder): a
# CMake package that takes the consuming program's architecture, its version file, which fits
# either, a short README.txt, and for Visual C++ projects a property sheet.
set(MOKACOMM_ARCHIVE_DIR ${PROJECT_BINARY_DIR}/archive)
configure_file(${PROJECT_SOURCE_DIR}/packaging/MokacommConfig.cmake.in
  ${MOKACOMM_ARCHIVE_DIR}/MokacommConfig.cmake @ONLY)
# Without the architecture check, the file still quotes the build's pointer size in code it never
# runs: written without one, it is the same for both architectures.
block(SCOPE_FOR VARIABLES)
  set(CMAKE_SIZEOF_VOID_P "")
  write_basic_package_version_file(${MOKACOMM_ARCHIVE_DIR}/MokacommConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
endblock()
configure_file(${PROJECT_SOURCE_DIR}/packaging/README-${MOKACOMM_CXX_ABI}.txt
  ${MOKACOMM_ARCHIVE_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
if(MSVC)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/Mokacomm.props
    ${MOKACOMM_ARCHIVE_DIR}/Mokacomm.props COPYONLY)
endif()
