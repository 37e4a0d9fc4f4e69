// The one way the library owns what it must give back: kernel handles (base/Handles.h), registry
// keys (base/RegistryKey.h), blocks of the process heap (base/HeapText.h). Each kind has traits
// that say which value means "none" and how a value is given back:
//
//     struct Traits {
//         using Value = ...;                      // HANDLE, HKEY, a pointer
//         static Value None();
//         Result GiveBack(Value value) const;     // or static; BOOL, LONG, ...
//         static constexpr Result kNothingToClose; // what Close() gives when none is held
//     };
//
// A traits object may carry state (a handle's close function, which may be the engine's seam);
// the owner keeps its own copy. Owners are move-only.
#ifndef MOKACOMM_UNIQUE_H
#define MOKACOMM_UNIQUE_H

#include "base/Win32.h"

template <class Traits>
class Unique : private Traits {
public:
    using Value = typename Traits::Value;

    Unique() = default;
    explicit Unique(Value value, const Traits& traits = Traits()) : Traits(traits), value(value) {}
    Unique(Unique&& other) noexcept : Traits(other), value(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
            Traits::operator=(other);
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { Reset(); }

    Value Get() const { return value; }
    explicit operator bool() const { return value != Traits::None(); }

    // The value is the caller's from now on; the owner holds none.
    Value Release()
    {
        const Value held = value;
        value = Traits::None();
        return held;
    }

    // Gives back what is held and holds `replacement`. Giving back keeps the thread's last error,
    // so that cleanup on a failure path never overwrites the code being reported.
    void Reset(Value replacement = Traits::None())
    {
        if (value != Traits::None()) {
            const DWORD error = ::GetLastError();
            Traits::GiveBack(value);
            ::SetLastError(error);
        }
        value = replacement;
    }

    // Gives back what is held, for a caller that reports how that went: the result of the
    // traits' GiveBack, with the last error it left. Holds none afterwards.
    auto Close()
    {
        if (value == Traits::None())
            return Traits::kNothingToClose;
        return Traits::GiveBack(Release());
    }

private:
    Value value = Traits::None();
};

#endif
