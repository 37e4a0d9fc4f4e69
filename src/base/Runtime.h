// The few pieces of the C++ standard library that the library's code needs: placement and nothrow
// `new`, and the exception types that construction throws (std::bad_alloc, std::runtime_error).
// The mingw-w64 build and a Visual Studio build take them from their compiler's runtime; the
// cross-built Microsoft-ABI build has no standard library, so it declares them with the layout and
// decorated names of Visual C++'s, which a host's `catch (const std::exception&)` must match.
#ifndef MOKACOMM_RUNTIME_H
#define MOKACOMM_RUNTIME_H

#if defined(_MSC_VER) && !defined(MOKACOMM_VISUAL_CPP_RUNTIME)
#include <stddef.h>

// As Visual C++'s vcruntime declares them: the vftable pointer, then the text and whether the
// object owns it; the destructor in vftable slot 0, what() in slot 1. Their members are defined
// by the stand-in runtime, msvc-crt/MsvcRuntime.cpp, which every binary of this build links.
namespace std {

struct nothrow_t {
    explicit nothrow_t() = default;
};
extern const nothrow_t nothrow;

class exception {
public:
    exception() noexcept : text(nullptr), ownsText(false) {}
    // Keeps a copy of `message`.
    explicit exception(const char* message) noexcept;
    // Keeps `literal` itself, a text that outlives every exception object.
    exception(const char* literal, int) noexcept : text(literal), ownsText(false) {}
    exception(const exception& other) noexcept;
    exception& operator=(const exception& other) noexcept;
    virtual ~exception() noexcept;
    virtual const char* what() const;

private:
    void Keep(const char* message, bool copy) noexcept;

    const char* text;
    bool ownsText;
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation", 1) {}
};

class runtime_error : public exception {
public:
    explicit runtime_error(const char* message) : exception(message) {}
};

} // namespace std

void* operator new(size_t size, const std::nothrow_t&) noexcept;
void* operator new[](size_t size, const std::nothrow_t&) noexcept;
void operator delete(void* block, const std::nothrow_t&) noexcept;
void operator delete[](void* block, const std::nothrow_t&) noexcept;
inline void* operator new(size_t, void* where) noexcept { return where; }
inline void operator delete(void*, void*) noexcept {}
#else
#include <new>
#include <stdexcept>
#endif

#endif
