// The few pieces of the C++ standard library that the library's code needs: placement and nothrow
// `new`, and the exception types that construction throws (std::bad_alloc, std::runtime_error).
// The mingw-w64 build takes them from GCC's runtime; the Microsoft-ABI build has no standard
// library here, so it declares them with the layout and decorated names of Visual C++'s, which a
// host's `catch (const std::exception&)` must match.
#ifndef MOKACOMM_RUNTIME_H
#define MOKACOMM_RUNTIME_H

#if defined(_MSC_VER)
#error "the Microsoft-ABI declarations are not written yet"
#else
#include <new>
#include <stdexcept>
#endif

#endif
