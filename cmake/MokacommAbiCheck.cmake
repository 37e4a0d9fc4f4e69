# A program of the other C++ ABI than Mokacomm_CXX_ABI could not link the exported class: the
# package is not found there.
if(MSVC)
  set(mokacomm_host_abi msvc)
else()
  set(mokacomm_host_abi mingw)
endif()
if(NOT Mokacomm_CXX_ABI STREQUAL mokacomm_host_abi)
  set(Mokacomm_FOUND FALSE)
  set(Mokacomm_NOT_FOUND_MESSAGE "this is the ${Mokacomm_CXX_ABI} build of Mokacomm, and the \
program is built with the ${mokacomm_host_abi} C++ ABI: use the ${mokacomm_host_abi} build")
  return()
endif()
