// Counts the C++ heap allocations of a test program that links the library statically, so that a
// leak of even one small object per cycle shows. Linking AllocationCounter.cpp replaces the global
// operator new and delete of the whole program, the library's code included.
#ifndef MOKACOMM_TESTS_ALLOCATION_COUNTER_H
#define MOKACOMM_TESTS_ALLOCATION_COUNTER_H

// Allocations made so far and not yet freed.
long long LiveAllocations();

#endif
