// Values that more than one thread reads, over the Interlocked functions. Every access is a full
// barrier, which the library's few shared values can afford.
#ifndef MOKACOMM_ATOMIC_H
#define MOKACOMM_ATOMIC_H

#include "base/Win32.h"

// T is bool, an enumeration or an integer of at most 32 bits.
template <class T>
class Atomic {
public:
    static_assert(sizeof(T) <= sizeof(LONG), "Atomic holds 32-bit values");

    constexpr explicit Atomic(T initial = T()) : value(static_cast<LONG>(initial)) {}
    Atomic(const Atomic&) = delete;
    Atomic& operator=(const Atomic&) = delete;

    T Load() const { return static_cast<T>(InterlockedCompareExchange(&value, 0, 0)); }
    void Store(T replacement) { InterlockedExchange(&value, static_cast<LONG>(replacement)); }

private:
    mutable volatile LONG value;
};

template <class T>
class Atomic<T*> {
public:
    constexpr explicit Atomic(T* initial = nullptr) : value(initial) {}
    Atomic(const Atomic&) = delete;
    Atomic& operator=(const Atomic&) = delete;

    T* Load() const
    {
        return static_cast<T*>(InterlockedCompareExchangePointer(&value, nullptr, nullptr));
    }
    void Store(T* replacement) { InterlockedExchangePointer(&value, replacement); }
    T* Exchange(T* replacement)
    {
        return static_cast<T*>(InterlockedExchangePointer(&value, replacement));
    }

private:
    mutable void* volatile value;
};

// A count of references: the one that takes it to zero is told so.
class RefCount {
public:
    constexpr explicit RefCount(LONG initial) : count(initial) {}
    RefCount(const RefCount&) = delete;
    RefCount& operator=(const RefCount&) = delete;

    void Add() { InterlockedIncrement(&count); }
    // True when this was the last reference.
    bool Drop() { return InterlockedDecrement(&count) == 0; }

private:
    volatile LONG count;
};

#endif
