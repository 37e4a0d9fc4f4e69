# What executables of the Microsoft-ABI build get in place of Visual C++'s runtime, which this
# toolchain lacks: the static library mokacomm_msvc_crt (console and window entry points over
# the project's runtime). Every executable built with the toolchain links it; the DLL links the
# same runtime objects, mokacomm_msvc_runtime, with its own entry point.
set(mokacomm_msvc_module ${CMAKE_CURRENT_LIST_DIR}/../src/module)
add_library(mokacomm_msvc_runtime OBJECT ${mokacomm_msvc_module}/MsvcRuntime.cpp)
target_include_directories(mokacomm_msvc_runtime PRIVATE ${mokacomm_msvc_module}/..)
add_library(mokacomm_msvc_crt STATIC $<TARGET_OBJECTS:mokacomm_msvc_runtime>
  ${mokacomm_msvc_module}/MsvcExeEntry.cpp ${mokacomm_msvc_module}/MsvcWinEntry.cpp)
target_include_directories(mokacomm_msvc_crt PRIVATE ${mokacomm_msvc_module}/..)
