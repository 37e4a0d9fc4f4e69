# 64-bit Windows with the Microsoft C++ ABI (clang-cl and lld-link from LLVM 14).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MOKACOMM_MSVC_TRIPLE x86_64-pc-windows-msvc)
set(MOKACOMM_MINGW_TRIPLET x86_64-w64-mingw32)
set(MOKACOMM_DLLTOOL_MACHINE i386:x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/msvc-common.cmake)
