# The DLL's own sources, for src/CMakeLists.txt: its attach handling. Only the DLL is built of
# them; a program that links the library statically has its own entry point.
set(MOKACOMM_MODULE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DllMain.cpp)
