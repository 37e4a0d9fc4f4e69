# clang's GNU-style driver for the Windows target MOKACOMM_TARGET (x86_64-pc-windows-msvc,
# aarch64-w64-mingw32, ...): a compiler other than the project's own toolchains, for configuring
# a program against the package. Nothing is linked, so no SDK or sysroot of the target is needed.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${MOKACOMM_TARGET}")
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_C_COMPILER_TARGET ${MOKACOMM_TARGET})
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET ${MOKACOMM_TARGET})
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MOKACOMM_TARGET)
