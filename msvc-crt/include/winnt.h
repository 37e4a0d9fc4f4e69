/* Wine's winnt.h for the Microsoft-ABI build. On i686 it defines some Interlocked functions, and
 * on x86_64 _InterlockedCompareExchange128, as inline functions under names that clang has as
 * builtins, which clang refuses; renamed, Wine's functions stay what the Interlocked macros call.
 */
#ifndef MOKACOMM_MSVC_WINNT_H
#define MOKACOMM_MSVC_WINNT_H

#if defined(_M_IX86)
#define _InterlockedAnd64 mokacomm_wine_InterlockedAnd64
#define _InterlockedCompareExchangePointer mokacomm_wine_InterlockedCompareExchangePointer
#define _InterlockedExchangeAdd64 mokacomm_wine_InterlockedExchangeAdd64
#define _InterlockedExchangePointer mokacomm_wine_InterlockedExchangePointer
#define _InterlockedIncrement64 mokacomm_wine_InterlockedIncrement64
#define _InterlockedDecrement64 mokacomm_wine_InterlockedDecrement64
#define _InterlockedOr64 mokacomm_wine_InterlockedOr64
#define _InterlockedXor64 mokacomm_wine_InterlockedXor64
#elif defined(_M_X64)
#define _InterlockedCompareExchange128 mokacomm_wine_InterlockedCompareExchange128
#endif

#include_next <winnt.h>

#endif
