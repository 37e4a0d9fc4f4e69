# Checks the debug information of Mokacomm.dll or MokacommC.dll, in the file beside it:
#   cmake -DDLL=.../Mokacomm.dll -P check_debug_info.cmake
# - Microsoft ABI: Mokacomm.pdb (MokacommC.pdb) is the PDB that the DLL's debug directory asks
#   for, with the same GUID and age;
# - mingw-w64: the DLL is stripped, and its debug link names Mokacomm.dll.debug
#   (MokacommC.dll.debug);
# - through that file, an address inside CCommLib::Open (MokacommOpen) resolves to that function,
#   at a line of src/interface/CCommLib.cpp (src/cinterface/MokacommC.cpp) in the folder the build
#   gives the project's sources, C:\mokacomm. The symbolizer follows a debug link only to a file
#   with the link's checksum.
set(failures "")

function(run output)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE failed ERROR_VARIABLE error
                  WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
  if(failed)
    message(FATAL_ERROR "${ARGN}: ${error}")
  endif()
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

get_filename_component(folder ${DLL} DIRECTORY)
get_filename_component(dll_name ${DLL} NAME_WE)
# The function looked for, and as the symbolizer names it; its export in each ABI; its source.
if(dll_name STREQUAL "MokacommC")
  set(function_name "MokacommOpen")
  set(function "MokacommOpen")
  set(pdb_export "MokacommOpen")
  set(dwarf_export "MokacommOpen")
  set(source_path "src/cinterface/MokacommC")
else()
  set(function_name "CCommLib::Open")
  set(function "CCommLib::Open\\([^\n]*\\)")
  set(pdb_export "\\?Open@CCommLib@@")
  set(dwarf_export "_ZN8CCommLib4Open")
  set(source_path "src/interface/CCommLib")
endif()
if(EXISTS ${folder}/${dll_name}.pdb)
  set(open_export "${pdb_export}")
  string(REPLACE "/" "\\\\" source "C:/mokacomm/${source_path}\\.cpp")

  # llvm-readobj shows the GUID's bytes in file order; llvm-pdbutil shows it as a GUID is
  # written, its first three fields little-endian.
  run(debug llvm-readobj-14 --coff-debug-directory ${DLL})
  set(byte "([0-9A-F][0-9A-F])")
  if(NOT debug MATCHES
     "PDBGUID: \\(${byte} ${byte} ${byte} ${byte} ${byte} ${byte} ${byte} ${byte} ([0-9A-F ]+)\\)")
    message(FATAL_ERROR "no PDB GUID in the debug directory of ${DLL}:\n${debug}")
  endif()
  string(REPLACE " " "" rest "${CMAKE_MATCH_9}")
  string(SUBSTRING "${rest}" 0 4 rest_head)
  string(SUBSTRING "${rest}" 4 -1 rest_tail)
  set(dll_guid "{${CMAKE_MATCH_4}${CMAKE_MATCH_3}${CMAKE_MATCH_2}${CMAKE_MATCH_1}-\
${CMAKE_MATCH_6}${CMAKE_MATCH_5}-${CMAKE_MATCH_8}${CMAKE_MATCH_7}-${rest_head}-${rest_tail}}")
  string(REGEX MATCH "PDBAge: ([0-9]+)" ignored "${debug}")
  set(dll_age "${CMAKE_MATCH_1}")

  run(summary llvm-pdbutil-14 dump --summary ${folder}/${dll_name}.pdb)
  string(REGEX MATCH "GUID: ({[0-9A-F-]+})" ignored "${summary}")
  set(pdb_guid "${CMAKE_MATCH_1}")
  string(REGEX MATCH "Age: ([0-9]+)" ignored "${summary}")
  set(pdb_age "${CMAKE_MATCH_1}")
  message(STATUS "the DLL asks for GUID ${dll_guid} age ${dll_age}; "
                 "the PDB has GUID ${pdb_guid} age ${pdb_age}")
  if(NOT dll_guid STREQUAL pdb_guid OR NOT dll_age STREQUAL pdb_age)
    list(APPEND failures "the PDB is not the DLL's")
  endif()
elseif(EXISTS ${folder}/${dll_name}.dll.debug)
  set(open_export "${dwarf_export}")
  set(source "C:/mokacomm/${source_path}\\.cpp")
  run(sections llvm-readobj-14 --sections ${DLL})
  if(sections MATCHES "Name: \\.debug_")
    list(APPEND failures "not stripped: it has DWARF sections")
  endif()
  run(link llvm-readobj-14 --string-dump=.gnu_debuglink ${DLL})
  if(NOT link MATCHES "\\] ${dll_name}\\.dll\\.debug\n")
    list(APPEND failures "its debug link does not name ${dll_name}.dll.debug:\n${link}")
  endif()
else()
  message(FATAL_ERROR "neither ${dll_name}.pdb nor ${dll_name}.dll.debug beside ${DLL}")
endif()

# One byte into the exported function, by its virtual address. The symbolizer is run from a
# folder without debug files, so that it reads those beside the DLL.
run(exports llvm-readobj-14 --coff-exports ${DLL})
if(NOT exports MATCHES "Name: ${open_export}[^\n]*\n *RVA: (0x[0-9A-F]+)")
  message(FATAL_ERROR "${function_name} is not exported by ${DLL}")
endif()
set(rva ${CMAKE_MATCH_1})
run(headers llvm-readobj-14 --file-headers ${DLL})
string(REGEX MATCH "ImageBase: (0x[0-9A-F]+)" ignored "${headers}")
math(EXPR address "${CMAKE_MATCH_1} + ${rva} + 1" OUTPUT_FORMAT HEXADECIMAL)
run(symbol llvm-symbolizer-14 --obj=${DLL} ${address})
string(STRIP "${symbol}" symbol)
message(STATUS "${address} resolves to:\n     ${symbol}")
if(NOT symbol MATCHES "^${function}\n${source}:[1-9][0-9]*:")
  list(APPEND failures "${address}, inside ${function_name}, resolves to:\n  ${symbol}")
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "${DLL}:\n  ${text}")
endif()
