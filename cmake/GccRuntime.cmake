# How the mingw-w64 build carries GCC's runtime (libgcc, libstdc++, winpthread).
#
# On x86_64 it is linked into every binary, which then imports system DLLs only: exceptions unwind
# through the platform's tables there, so one thrown in Mokacomm.dll reaches a host's handler.
# On i686 GCC unwinds with DWARF tables that each copy of the runtime registers for itself: an
# exception cannot leave a module whose runtime is static, so construction's failures would end
# the host instead of reaching its handler. There the DLL uses the runtime's DLLs, which are put
# beside the programs and into the package's bin/, and so does every program whose target has the
# property MOKACOMM_SHARED_GCC_RUNTIME (a host that catches the library's exceptions); the other
# programs keep the runtime inside.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(MOKACOMM_GCC_RUNTIME_DLLS)
  foreach(dll libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    # MSYS2 keeps them beside the compiler, where -print-file-name does not look.
    if(NOT IS_ABSOLUTE "${path}")
      get_filename_component(compiler_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
      set(path ${compiler_dir}/${dll})
    endif()
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know ${dll}")
    endif()
    get_filename_component(path "${path}" REALPATH)
    list(APPEND MOKACOMM_GCC_RUNTIME_DLLS "${path}")
  endforeach()
  file(COPY ${MOKACOMM_GCC_RUNTIME_DLLS} DESTINATION ${CMAKE_BINARY_DIR}/bin)
  target_link_options(mokacomm_options INTERFACE
    "$<$<AND:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>,$<NOT:$<BOOL:$<TARGET_PROPERTY:MOKACOMM_SHARED_GCC_RUNTIME>>>>:-static>")
else()
  target_link_options(mokacomm_options INTERFACE -static)
endif()
