// What the compiler exports for the class by itself, beside the members that a host calls: a file
// that defines the constructor, as the DLL does, exports the vftable and the default-constructor
// closure with it. Compiled, never linked; check_image.cmake reads its export directives.
#define MOKACOMM_BUILDING
#include "Mokacomm.h"

CCommLib::CCommLib(unsigned long, unsigned long) : engine(nullptr) {}
