#include "RigShim.h"

#include <stdio.h>

#include "ImportPatch.h"
#include "RigPair.h"

namespace {

RigPair* pair = nullptr;
ImportPatch* patch = nullptr;

} // namespace

int RigUp(int* comA, int* comB)
{
    RigDown();
    pair = new RigPair;
    if (!pair->Ok()) {
        printf("no rig pair: %s\n", pair->Error());
        RigDown();
        return 0;
    }
    *comA = pair->ComA();
    *comB = pair->ComB();
    return 1;
}

void RigDown(void)
{
    delete pair;
    pair = nullptr;
}

int RigPatch(const char* dll, const char* function, RigFunction replacement)
{
    RigUnpatch();
    patch = new ImportPatch(GetModuleHandleA("MokacommC.dll"), dll, function,
                            reinterpret_cast<void*>(replacement));
    return patch->Ok() ? 1 : 0;
}

void RigUnpatch(void)
{
    delete patch;
    patch = nullptr;
}
