# Checks the tables of the Microsoft-ABI Mokacomm.dll:
#   cmake -DDLL=... -DDLL_OBJECTS=a|b -DHOST_OBJECTS=a|b -DPROBE_OBJECTS=...
#         -DARCH=i686|x86_64 -DVERSION=1.2.3 -DPYTHON=python3 -DBUILD_FOLDERS=a|b -P check_image.cmake
# - its exports are exactly the class: the CCommLib members that the host test's objects import,
#   and those that the probe's object exports by the compiler's own accord;
# - it imports kernel32, user32, advapi32 and msvcrt.dll only;
# - it has the security features of a Visual C++ DLL: ASLR, DEP, a stack cookie in the load
#   configuration, and on i686 a SafeSEH table; on x86_64 high-entropy ASLR;
# - its image version is VERSION's major.minor;
# - its thread-local data has a TLS directory, and no dynamic initialisers, which its runtime
#   does not run;
# - the exceptions it throws are described as Visual C++ describes its own, which a host's runtime
#   matches with its catch clauses: classes (not structs) of the size of Visual C++'s, each
#   catchable as itself and as std::exception;
# - its debug directory names its PDB by file name only, and no folder of the build (BUILD_FOLDERS)
#   appears in it, in 8-bit or UTF-16 text.
set(failures "")

function(run output)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${ARGN}: ${error}")
  endif()
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

run(exports llvm-readobj-14 --coff-exports ${DLL})
string(REGEX MATCHALL "Name: [^\n]+" exported "${exports}")
list(TRANSFORM exported REPLACE "^Name: " "")
list(SORT exported)

string(REPLACE "|" ";" host_objects "${HOST_OBJECTS}")
run(undefined llvm-nm-14 --undefined-only ${host_objects})
string(REGEX MATCHALL "__imp_[^\n]*CCommLib@@[^\n]*" expected "${undefined}")
list(TRANSFORM expected REPLACE "^__imp_" "")
string(REPLACE "|" ";" probe_objects "${PROBE_OBJECTS}")
run(directives llvm-readobj-14 --coff-directives ${probe_objects})
string(REGEX MATCHALL "/EXPORT:[^ ,\n]+" probe_exports "${directives}")
list(TRANSFORM probe_exports REPLACE "^/EXPORT:\"?([^\"]+)\"?$" "\\1")
list(APPEND expected ${probe_exports})
list(REMOVE_DUPLICATES expected)
list(SORT expected)

list(LENGTH exported count)
list(JOIN exported "\n     " listing)
message(STATUS "${count} exports:\n     ${listing}")
if(NOT exported STREQUAL expected)
  set(extra ${exported})
  set(missing ${expected})
  foreach(name ${expected})
    list(REMOVE_ITEM extra ${name})
  endforeach()
  foreach(name ${exported})
    list(REMOVE_ITEM missing ${name})
  endforeach()
  list(APPEND failures "exported but not the header's: ${extra}" "the header's but not exported: ${missing}")
endif()

run(imports llvm-readobj-14 --coff-imports ${DLL})
string(REGEX MATCHALL "Name: [^\n]+" dlls "${imports}")
list(TRANSFORM dlls REPLACE "^Name: " "")
list(TRANSFORM dlls TOLOWER)
set(other_dlls ${dlls})
list(REMOVE_ITEM other_dlls kernel32.dll user32.dll advapi32.dll msvcrt.dll)
if(other_dlls)
  list(APPEND failures "imports from ${other_dlls}")
endif()
message(STATUS "imports from ${dlls}")

run(headers llvm-readobj-14 --file-headers --sections --coff-load-config ${DLL})
# thread_local data needs the loader's TLS directory, which the project's runtime supplies.
if(headers MATCHES "Name: \\.tls " AND NOT headers MATCHES "TLSTableRVA: 0x[1-9A-F]")
  list(APPEND failures "thread-local data without a TLS directory")
endif()
# A thread_local object with a dynamic initialiser puts a call in .CRT$XD*, which Visual C++'s
# runtime makes from its __dyn_tls_init (the object asks the linker for it) and the project's does
# not. The image keeps no trace of those sections; its objects do.
string(REPLACE "|" ";" dll_objects "${DLL_OBJECTS}")
# The compiled resources among them have no sections.
list(FILTER dll_objects EXCLUDE REGEX "\\.res$")
foreach(object ${dll_objects})
  run(sections llvm-readobj-14 --sections ${object})
  if(sections MATCHES "Name: \\.CRT\\$XD")
    list(APPEND failures "thread-local data initialised dynamically, in ${object}")
  endif()
endforeach()
string(REGEX MATCH "MajorImageVersion: ([0-9]+)\n *MinorImageVersion: ([0-9]+)" ignored "${headers}")
set(image_version "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}")
string(REGEX MATCH "^[0-9]+\\.[0-9]+" wanted_version "${VERSION}")
message(STATUS "image version ${image_version}")
if(NOT image_version STREQUAL wanted_version)
  list(APPEND failures "image version ${image_version}, not ${wanted_version}")
endif()
set(wanted DYNAMIC_BASE NX_COMPAT)
if(ARCH STREQUAL "x86_64")
  list(APPEND wanted HIGH_ENTROPY_VA)
endif()
foreach(flag ${wanted})
  if(NOT headers MATCHES "IMAGE_DLL_CHARACTERISTICS_${flag}")
    list(APPEND failures "no ${flag}")
  endif()
endforeach()
if(NOT headers MATCHES "SecurityCookie: 0x[1-9A-F]")
  list(APPEND failures "no stack cookie in the load configuration")
endif()
if(ARCH STREQUAL "i686")
  if(headers MATCHES "IMAGE_DLL_CHARACTERISTICS_NO_SEH")
    list(APPEND failures "marked NO_SEH")
  endif()
  string(REGEX MATCH "SEHandlerCount: ([0-9]+)" ignored "${headers}")
  if(NOT CMAKE_MATCH_1 OR CMAKE_MATCH_1 EQUAL 0)
    list(APPEND failures "no SafeSEH table")
  endif()
  message(STATUS "SafeSEH table of ${CMAKE_MATCH_1} handlers")
endif()

run(debug llvm-readobj-14 --coff-debug-directory ${DLL})
string(REGEX MATCHALL "PDBFileName: [^\n]*" pdb_names "${debug}")
if(NOT pdb_names STREQUAL "PDBFileName: Mokacomm.pdb")
  list(APPEND failures "the debug directory names its PDB as: ${pdb_names}")
endif()
file(READ ${DLL} image HEX)
string(REPLACE "|" ";" build_folders "${BUILD_FOLDERS}")
foreach(folder ${build_folders})
  string(HEX "${folder}" text)
  string(REGEX REPLACE "(..)" "\\100" utf16 "${text}")
  string(FIND "${image}" "${text}" at_text)
  string(FIND "${image}" "${utf16}" at_utf16)
  if(NOT at_text EQUAL -1 OR NOT at_utf16 EQUAL -1)
    list(APPEND failures "the image holds the path ${folder}")
  endif()
endforeach()

# One line per thrown type: its catchable types, itself first, each as NAME:SIZE.
run(thrown ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/throw_info.py ${DLL})
# Visual C++'s exceptions are its std::exception: the vftable pointer, the text, the flag that
# says whether it owns the text.
if(ARCH STREQUAL "x86_64")
  set(size 24)
else()
  set(size 12)
endif()
set(expected_thrown
  ".?AVbad_alloc@std@@:${size} .?AVexception@std@@:${size}"
  ".?AVruntime_error@std@@:${size} .?AVexception@std@@:${size}")
string(STRIP "${thrown}" thrown)
string(REPLACE "\n" ";" thrown "${thrown}")
list(JOIN thrown "\n     " listing)
message(STATUS "thrown types:\n     ${listing}")
if(NOT thrown STREQUAL expected_thrown)
  list(JOIN expected_thrown "\n     " listing)
  list(APPEND failures "thrown types differ from Visual C++'s std::bad_alloc and std::runtime_error,\n     ${listing}")
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Mokacomm.dll:\n  ${text}")
endif()
