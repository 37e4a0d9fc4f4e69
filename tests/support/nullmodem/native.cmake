# The rig's native pieces, built with the host C compiler into <build>/rig: included by this
# folder's CMakeLists.txt and by the Microsoft-ABI build's tests, which cannot use the client.
find_program(NULLMODEM_HOST_CC NAMES cc gcc REQUIRED)

set(nullmodem_flags -std=c11 -D_GNU_SOURCE -O2 -Wall -Wextra)
set(nullmodem_headers rig_state.h rig_map.h rig_cable.h rig_end.h rig_real.h
    ctl_dosdev.h ctl_end.h ctl_error.h ctl_pair.h ctl_rig.h ctl_socat.h ctl_time.h)
set(nullmodem_lib_sources nullmodem.c rig_server.c rig_end.c rig_cable.c rig_map.c)
set(nullmodem_ctl_sources nullmodemctl.c ctl_dosdev.c ctl_end.c ctl_error.c ctl_pair.c
    ctl_rig.c ctl_socat.c rig_cable.c rig_map.c)
# Full paths: the including folder may be another one.
foreach(list nullmodem_headers nullmodem_lib_sources nullmodem_ctl_sources)
  list(TRANSFORM ${list} PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
endforeach()
set(nullmodem_rig ${CMAKE_BINARY_DIR}/rig)

set(nullmodem_outputs)
foreach(abi 32:i386-linux-gnu 64:x86_64-linux-gnu)
  string(REPLACE ":" ";" abi ${abi})
  list(GET abi 0 bits)
  list(GET abi 1 multiarch)
  set(out ${nullmodem_rig}/lib/${multiarch}/libnullmodem.so)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${nullmodem_rig}/lib/${multiarch}
    COMMAND ${NULLMODEM_HOST_CC} -m${bits} ${nullmodem_flags} -fPIC -shared
            -fvisibility=hidden -o ${out} ${nullmodem_lib_sources} -ldl
    DEPENDS ${nullmodem_lib_sources} ${nullmodem_headers}
    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
    COMMENT "Building ${bits}-bit libnullmodem.so"
    VERBATIM)
  list(APPEND nullmodem_outputs ${out})
endforeach()

add_custom_command(OUTPUT ${nullmodem_rig}/bin/nullmodemctl
  COMMAND ${CMAKE_COMMAND} -E make_directory ${nullmodem_rig}/bin
  COMMAND ${NULLMODEM_HOST_CC} ${nullmodem_flags} -o ${nullmodem_rig}/bin/nullmodemctl
          ${nullmodem_ctl_sources}
  DEPENDS ${nullmodem_ctl_sources} ${nullmodem_headers}
  WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
  COMMENT "Building nullmodemctl"
  VERBATIM)
list(APPEND nullmodem_outputs ${nullmodem_rig}/bin/nullmodemctl)

add_custom_target(nullmodem_native ALL DEPENDS ${nullmodem_outputs})
