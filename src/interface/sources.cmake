# The exported class's sources and the port names, for src/CMakeLists.txt.
set(MOKACOMM_INTERFACE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BoundCommPortEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCommLib.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortNames.cpp)
