// A host of the Microsoft-ABI Mokacomm.dll, built in MSVC mode without any standard library: it
// links every exported member, so it links only if the decorations match, and checks through
// the real DLL that the class, its hooks and its exceptions work across the module boundary.
// Started with an argument, it is a copy that plays a role for the runtime's tests instead.
#include <stdio.h>

#include "Check.h"
#include "CodePage.h"
#include "RigPair.h"
#include "Tests.h"

int main(int argc, char** argv)
{
    if (argc > 1)
        return RunRuntimeRole(argv[1]);
    // The locale it was given must have taken, or a second locale's run would repeat the first.
    CHECK_EQ(GetACP(), ExpectedAnsiCodePage());
    printf("ANSI code page %u\n", GetACP());
    TestRuntime();
    TestMembersWithoutPort();
    TestConstructionFailures();
    RigPair pair;
    if (CHECK(pair.Ok()))
        TestOpenPort(pair);
    else
        printf("no rig pair: %s\n", pair.Error());
    printf("msvc host test: %d checks, %d failed\n", Counts().checks, Counts().failures);
    return Counts().failures == 0 ? 0 : 1;
}
