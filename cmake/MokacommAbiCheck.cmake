# A program could not link the exported class if it has the other C++ ABI than Mokacomm_CXX_ABI,
# or an architecture Mokacomm is not built for: the package is not found there. Otherwise
# mokacomm_arch says which build the program takes, x86 or x64.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(mokacomm_arch x86)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(mokacomm_arch x64)
else()
  set(Mokacomm_FOUND FALSE)
  set(Mokacomm_NOT_FOUND_MESSAGE "the program's architecture is not known yet: enable C or C++ \
before find_package(Mokacomm)")
  return()
endif()

# The ABI is the compiler's, not its command line's: clang's GNU-style driver targeting
# *-windows-msvc has the Microsoft ABI without MSVC set, and says so in CMAKE_<LANG>_SIMULATE_ID.
if(MSVC OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC")
  set(mokacomm_host_abi msvc)
elseif(MINGW)
  set(mokacomm_host_abi mingw)
else()
  set(Mokacomm_FOUND FALSE)
  set(Mokacomm_NOT_FOUND_MESSAGE "this is the ${Mokacomm_CXX_ABI} build of Mokacomm, and the \
program is built neither with the Microsoft C++ ABI nor with mingw-w64's")
  return()
endif()
if(NOT Mokacomm_CXX_ABI STREQUAL mokacomm_host_abi)
  set(Mokacomm_FOUND FALSE)
  set(Mokacomm_NOT_FOUND_MESSAGE "this is the ${Mokacomm_CXX_ABI} build of Mokacomm, and the \
program is built with the ${mokacomm_host_abi} C++ ABI: use the ${mokacomm_host_abi} build")
  return()
endif()

# Pointer size alone would give an ARM64 or ARM64EC program the x64 build. The architecture is
# the compiler's own name for it where CMake has one (the Microsoft ABI's compilers: X86, x64,
# ARM64, ARM64EC, ...), else that of the processor the toolchain names.
if(CMAKE_CXX_COMPILER_ARCHITECTURE_ID)
  set(mokacomm_host_arch "${CMAKE_CXX_COMPILER_ARCHITECTURE_ID}")
elseif(CMAKE_C_COMPILER_ARCHITECTURE_ID)
  set(mokacomm_host_arch "${CMAKE_C_COMPILER_ARCHITECTURE_ID}")
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^([Aa][Rr][Mm]|[Aa][Aa][Rr][Cc][Hh])")
  set(mokacomm_host_arch "${CMAKE_SYSTEM_PROCESSOR}")
else()
  set(mokacomm_host_arch "")
endif()
if(NOT mokacomm_host_arch MATCHES "^(X86|x64|)$")
  set(Mokacomm_FOUND FALSE)
  set(Mokacomm_NOT_FOUND_MESSAGE "Mokacomm has no ${mokacomm_host_arch} build: it is built for \
x86 (Win32) and x64 programs")
  return()
endif()
