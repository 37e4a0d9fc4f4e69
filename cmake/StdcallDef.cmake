# The .def file for 32-bit programs of a DLL whose own .def exports WINAPI functions under their
# plain names: each name with the argument bytes that the compiler gave the function (Name@N).
# `lib /def` (Visual C++) and `dlltool -k` (mingw-w64) read Name@N as the symbol _Name@N that a
# caller's declaration asks for, imported by the plain name; from the plain names they would
# make symbols _Name, which a WINAPI caller does not find. GNU ld makes the mingw-w64 import
# library that way too, so dlltool makes it again from this file.
#
#   include(StdcallDef.cmake)
#   mokacomm_stdcall_def(<DLL target> <object library> <.def file> <output>)
#   mokacomm_stdcall_import_library(<DLL target> <its Name@N .def file>)   (mingw-w64)
#
# Run as a script (-P), it writes that .def: -DNM=nm -DOBJECTS=a.obj|b.obj -DDEF=in -DOUTPUT=out.
if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "|" ";" objects "${OBJECTS}")
  execute_process(COMMAND ${NM} --defined-only ${objects}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${NM}: ${error}")
  endif()
  file(STRINGS ${DEF} library REGEX "^LIBRARY ")
  file(STRINGS ${DEF} exports REGEX "^[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*$")
  get_filename_component(name ${DEF} NAME)
  string(CONCAT decorated
    "; ${name} for 32-bit programs: each function's plain name with its argument bytes,\n"
    "; from which `lib /def:${name} /machine:x86` or `dlltool -k -d ${name}`\n"
    "; makes an import library.\n"
    "${library}\nEXPORTS\n")
  foreach(export ${exports})
    string(STRIP "${export}" export)
    if(NOT symbols MATCHES " T _${export}(@[0-9]+)\n")
      message(FATAL_ERROR "${DEF}: no WINAPI function ${export} in the objects")
    endif()
    string(APPEND decorated "    ${export}${CMAKE_MATCH_1}\n")
  endforeach()
  file(WRITE ${OUTPUT} "${decorated}")
  return()
endif()

function(mokacomm_stdcall_def target objects def output)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:${objects}>,|>"
            -DDEF=${def} -DOUTPUT=${output} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    VERBATIM)
endfunction()

# dlltool names the library's members and symbols after the path it is given for the library: in
# its own folder, the name alone keeps the build's folder out of them.
function(mokacomm_stdcall_import_library target decorated)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} -k -d ${decorated} -D $<TARGET_FILE_NAME:${target}>
            -l $<TARGET_LINKER_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_LINKER_FILE_DIR:${target}>
    VERBATIM)
endfunction()
