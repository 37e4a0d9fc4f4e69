// Registry data as an item text. Platform-free, so that it also builds natively for fuzzing.
#ifndef MOKACOMM_REGISTRY_TEXT_H
#define MOKACOMM_REGISTRY_TEXT_H

#include <stddef.h>

// `buffer` holds `length` characters as the registry returned them: string data need not end with
// a NUL there, and binary data may hold anything. Cuts the text at its first NUL, and in any case
// after at most `capacity` - 1 characters, writes the terminating NUL and returns the text's
// length. A `capacity` of 0 leaves the buffer untouched and gives 0. Bytes of a code page in
// `char`, UTF-16 in `wchar_t`.
size_t CutRegistryText(char* buffer, size_t capacity, size_t length);
size_t CutRegistryText(wchar_t* buffer, size_t capacity, size_t length);

#endif
