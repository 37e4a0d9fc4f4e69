# The C interface's sources, for src/CMakeLists.txt: MokacommC.dll's exported functions, the port
# object behind them that hands its events to the host in the way it chose, and the .def file that
# names the exports.
set(MOKACOMM_CINTERFACE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/EventQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MokacommC.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MokacommPort.cpp)
set(MOKACOMM_CINTERFACE_DEF ${CMAKE_CURRENT_LIST_DIR}/MokacommC.def)
