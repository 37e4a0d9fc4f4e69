# The base floor's sources, for src/CMakeLists.txt: what every folder builds on. The rest of the
# floor is headers.
set(MOKACOMM_BASE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/RegistryKey.cpp)
