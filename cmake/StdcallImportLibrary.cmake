# The import library of a 32-bit mingw-w64 DLL whose .def file exports WINAPI functions under
# their plain names. GNU ld makes it with those plain names too, which a caller's references to
# _Name@N do not find; dlltool makes it again from a .def of the names that the compiler gave the
# functions (Name@N), and -k maps each to its plain export.
#
#   include(StdcallImportLibrary.cmake)
#   mokacomm_stdcall_import_library(<DLL target> <object library> <.def file>)
#
# Run as a script (-P), it writes that .def: -DNM=nm -DOBJECTS=a.obj|b.obj -DDEF=in -DOUTPUT=out.
if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "|" ";" objects "${OBJECTS}")
  execute_process(COMMAND ${NM} --defined-only ${objects}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${NM}: ${error}")
  endif()
  file(STRINGS ${DEF} exports REGEX "^[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*$")
  set(decorated "EXPORTS\n")
  foreach(name ${exports})
    string(STRIP "${name}" name)
    if(NOT symbols MATCHES " T _${name}(@[0-9]+)\n")
      message(FATAL_ERROR "${DEF}: no WINAPI function ${name} in the objects")
    endif()
    string(APPEND decorated "    ${name}${CMAKE_MATCH_1}\n")
  endforeach()
  file(WRITE ${OUTPUT} "${decorated}")
  return()
endif()

function(mokacomm_stdcall_import_library target objects def)
  set(decorated ${CMAKE_CURRENT_BINARY_DIR}/${target}.decorated.def)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:${objects}>,|>"
            -DDEF=${def} -DOUTPUT=${decorated} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    COMMAND ${CMAKE_DLLTOOL} -k -d ${decorated} -D $<TARGET_FILE_NAME:${target}>
            -l $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
