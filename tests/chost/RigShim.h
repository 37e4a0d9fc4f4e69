/* The rig pair and the import patches of the tests' C++ helpers (tests/support), for the C host
 * test, which is C. */
#ifndef MOKACOMM_CHOST_RIG_SHIM_H
#define MOKACOMM_CHOST_RIG_SHIM_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Makes a null-modem pair of the rig and gives its COM numbers; 0 when it could not, with the
 * reason printed. One pair at a time, torn down by RigDown. */
int RigUp(int* comA, int* comB);
void RigDown(void);

/* Any function, as the compilers let every function pointer be cast to it. */
typedef void (*RigFunction)(void);

/* Points MokacommC.dll's import of `function` from `dll` at `replacement` until RigUnpatch; 0
 * when the DLL has no such import. One patch at a time. */
int RigPatch(const char* dll, const char* function, RigFunction replacement);
void RigUnpatch(void);

#ifdef __cplusplus
}
#endif

#endif
