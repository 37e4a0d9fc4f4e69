// The groups of the Microsoft-ABI host test, run in turn by HostTest.cpp.
#ifndef MOKACOMM_MSVC_TESTS_H
#define MOKACOMM_MSVC_TESTS_H

class RigPair;

// The runtime that the Microsoft-ABI build's binaries share: thread-safe statics, and how a
// process ends, in copies of this program that RunRuntimeRole plays.
void TestRuntime();
// What a copy of this program started with `role` does; its exit code.
int RunRuntimeRole(const char* role);
// The object's layout and vftable, and the members that need no port, dialogs included.
void TestMembersWithoutPort();
// The constructor's failures, caught in this module.
void TestConstructionFailures();
// A port of the rig with a plain handle at its other end: hooks, data, lines, settings, copies.
void TestOpenPort(RigPair& pair);

#endif
