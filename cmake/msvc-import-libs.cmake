# Import libraries of the system DLLs for lld-link, made from .def files at configure time.
# mingw-w64's own import libraries cannot serve: lld-link's default /safeseh refuses their i686
# objects. Their symbol tables still name each DLL's functions with the right i686 decorations,
# so the .def files are written from them; msvcrt.dll's also gets the C++ support functions that
# mingw-w64 leaves out.

# mokacomm_msvc_import_libraries(<dir> <mingw triplet> <dlltool machine> <dll>...)
function(mokacomm_msvc_import_libraries dir triplet machine)
  set(extra_msvcrt __CxxFrameHandler3)
  file(MAKE_DIRECTORY ${dir})
  foreach(dll ${ARGN})
    set(source /usr/${triplet}/lib/lib${dll}.a)
    set(def ${dir}/${dll}.def)
    set(lib ${dir}/${dll}.lib)
    if(EXISTS ${lib} AND NOT ${source} IS_NEWER_THAN ${lib}
       AND NOT ${CMAKE_CURRENT_FUNCTION_LIST_FILE} IS_NEWER_THAN ${lib})
      continue()
    endif()
    execute_process(COMMAND llvm-nm-14 ${source} OUTPUT_VARIABLE symbols ERROR_QUIET
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "llvm-nm-14 could not read ${source}")
    endif()
    # Each import shows as "I __imp_<symbol>"; on i686 the symbol of a C function has the leading
    # underscore that a .def file leaves out. C++ names are left out: the project's runtime
    # defines the few it needs.
    string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
    set(names ${extra_${dll}})
    foreach(import ${imports})
      string(REGEX REPLACE "^ I __imp_" "" name "${import}")
      if(triplet MATCHES "^i686" AND name MATCHES "^_")
        string(SUBSTRING "${name}" 1 -1 name)
      endif()
      if(NOT name MATCHES "^\\?")
        list(APPEND names ${name})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES names)
    list(SORT names)
    list(JOIN names "\n" exports)
    file(WRITE ${def} "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    # -k: the DLLs export the i686 stdcall functions without their @N.
    execute_process(COMMAND llvm-dlltool-14 -m ${machine} -k -d ${def} -l ${lib}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "llvm-dlltool-14 could not make ${lib}")
    endif()
  endforeach()
endfunction()
