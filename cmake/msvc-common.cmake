# The Microsoft C++ ABI with Debian's LLVM 14: clang-cl compiles, lld-link links, llvm-rc compiles
# the resources. There is no Windows SDK and no Visual C++ runtime here: Wine's headers stand in
# for the SDK's, import libraries of the system DLLs are made at configure time, and binaries link
# the project's stand-in for the runtime (msvc-crt/). Set MOKACOMM_MSVC_TRIPLE,
# MOKACOMM_MINGW_TRIPLET and MOKACOMM_DLLTOOL_MACHINE before including this file.
set(CMAKE_C_COMPILER clang-cl-14)
set(CMAKE_CXX_COMPILER clang-cl-14)
set(CMAKE_C_COMPILER_TARGET ${MOKACOMM_MSVC_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${MOKACOMM_MSVC_TRIPLE})
set(CMAKE_RC_COMPILER llvm-rc-14)
set(CMAKE_LINKER lld-link-14)
set(CMAKE_AR llvm-lib-14)
set(CMAKE_MT llvm-mt-14)

# The stand-in runtime's folder: a project built with this toolchain adds it for the runtime's
# targets, add_subdirectory(${MOKACOMM_MSVC_CRT_DIR} msvc-crt).
get_filename_component(MOKACOMM_MSVC_CRT_DIR ${CMAKE_CURRENT_LIST_DIR}/../msvc-crt ABSOLUTE)

# Debian's libwine-dev, behind the few headers of msvc-crt/include that mend it where it differs
# from the Windows SDK. _MSVCR_VER=0 declares the C runtime of msvcrt.dll, the one that every
# Windows version carries, rather than the UCRT's. WINE_UNICODE_NATIVE makes WCHAR wchar_t, as the
# SDK has it, rather than char16_t: clang-cl's wchar_t is 16 bits too.
set(MOKACOMM_WINE_INCLUDE /usr/include/wine/wine)
set(CMAKE_C_FLAGS_INIT "-imsvc ${MOKACOMM_MSVC_CRT_DIR}/include \
-imsvc ${MOKACOMM_WINE_INCLUDE}/windows -imsvc ${MOKACOMM_WINE_INCLUDE}/msvcrt -D_MSVCR_VER=0 \
-DWINE_UNICODE_NATIVE")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
# llvm-rc reads no code page 932; the resource scripts are UTF-8.
set(CMAKE_RC_FLAGS_INIT "/C 65001 /I ${MOKACOMM_MSVC_CRT_DIR}/include /I ${MOKACOMM_WINE_INCLUDE}/windows")

# Without a C runtime to link, the compiler checks compile only.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Programs link the system DLLs named here and nothing the objects ask for by default (the
# Visual C++ runtime's libraries, which do not exist here). No manifest: CMake could not embed it
# without Windows' mt, and a DLL's would say nothing.
set(MOKACOMM_MSVC_SDK_DIR ${CMAKE_BINARY_DIR}/msvc-sdk)
set(CMAKE_C_STANDARD_LIBRARIES "kernel32.lib msvcrt.lib" CACHE STRING "Libraries linked by default")
set(CMAKE_CXX_STANDARD_LIBRARIES "kernel32.lib msvcrt.lib" CACHE STRING "Libraries linked by default")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "/nodefaultlib /libpath:${MOKACOMM_MSVC_SDK_DIR} /manifest:no")
endforeach()
get_property(in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT in_try_compile)
  include(${CMAKE_CURRENT_LIST_DIR}/msvc-import-libs.cmake)
  mokacomm_msvc_import_libraries(${MOKACOMM_MSVC_SDK_DIR} ${MOKACOMM_MINGW_TRIPLET}
    ${MOKACOMM_DLLTOOL_MACHINE} kernel32 user32 gdi32 advapi32 msvcrt)
endif()

# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-run)
