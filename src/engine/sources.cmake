# The engine's sources, for src/CMakeLists.txt.
set(MOKACOMM_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CommEventThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommPortEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommPortTransfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConstructionFailure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlatformCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortLock.cpp)
