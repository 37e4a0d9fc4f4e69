# Checks the Microsoft-ABI Mokacomm.dll against the Mokacomm.pdb beside it:
#   cmake -DDLL=.../Mokacomm.dll -P check_pdb.cmake
# - the PDB is the one the DLL's debug directory asks for: the same GUID and age;
# - through it, an address inside CCommLib::Open resolves to that function, at a line of
#   src/interface/CCommLib.cpp in the folder the build gives the project's sources, C:\mokacomm.
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
set(pdb ${folder}/Mokacomm.pdb)

# llvm-readobj shows the GUID's bytes in file order; llvm-pdbutil shows it as a GUID is written,
# its first three fields little-endian.
run(debug llvm-readobj-14 --coff-debug-directory ${DLL})
set(byte "([0-9A-F][0-9A-F])")
if(NOT debug MATCHES "PDBGUID: \\(${byte} ${byte} ${byte} ${byte} ${byte} ${byte} ${byte} ${byte} ([0-9A-F ]+)\\)")
  message(FATAL_ERROR "no PDB GUID in the debug directory of ${DLL}:\n${debug}")
endif()
string(REPLACE " " "" rest "${CMAKE_MATCH_9}")
string(SUBSTRING "${rest}" 0 4 rest_head)
string(SUBSTRING "${rest}" 4 -1 rest_tail)
set(dll_guid "{${CMAKE_MATCH_4}${CMAKE_MATCH_3}${CMAKE_MATCH_2}${CMAKE_MATCH_1}-${CMAKE_MATCH_6}${CMAKE_MATCH_5}-${CMAKE_MATCH_8}${CMAKE_MATCH_7}-${rest_head}-${rest_tail}}")
string(REGEX MATCH "PDBAge: ([0-9]+)" ignored "${debug}")
set(dll_age "${CMAKE_MATCH_1}")

run(summary llvm-pdbutil-14 dump --summary ${pdb})
string(REGEX MATCH "GUID: ({[0-9A-F-]+})" ignored "${summary}")
set(pdb_guid "${CMAKE_MATCH_1}")
string(REGEX MATCH "Age: ([0-9]+)" ignored "${summary}")
set(pdb_age "${CMAKE_MATCH_1}")
message(STATUS "DLL asks for GUID ${dll_guid} age ${dll_age}; PDB has GUID ${pdb_guid} age ${pdb_age}")
if(NOT dll_guid STREQUAL pdb_guid OR NOT dll_age STREQUAL pdb_age)
  list(APPEND failures "the PDB is not the DLL's")
endif()

# One byte into the exported function, by its virtual address. The symbolizer is run from a
# folder without a PDB, so that it reads the one beside the DLL.
run(exports llvm-readobj-14 --coff-exports ${DLL})
if(NOT exports MATCHES "Name: \\?Open@CCommLib@@[^\n]*\n *RVA: (0x[0-9A-F]+)")
  message(FATAL_ERROR "CCommLib::Open is not exported by ${DLL}")
endif()
set(rva ${CMAKE_MATCH_1})
run(headers llvm-readobj-14 --file-headers ${DLL})
string(REGEX MATCH "ImageBase: (0x[0-9A-F]+)" ignored "${headers}")
math(EXPR address "${CMAKE_MATCH_1} + ${rva} + 1" OUTPUT_FORMAT HEXADECIMAL)
run(symbol llvm-symbolizer-14 --obj=${DLL} ${address})
string(STRIP "${symbol}" symbol)
message(STATUS "${address} resolves to:\n     ${symbol}")
if(NOT symbol MATCHES "^CCommLib::Open\\([^\n]*\\)\nC:\\\\mokacomm\\\\src\\\\interface\\\\CCommLib\\.cpp:[1-9][0-9]*:")
  list(APPEND failures "${address}, inside CCommLib::Open, resolves to:\n  ${symbol}")
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "${DLL}:\n  ${text}")
endif()
