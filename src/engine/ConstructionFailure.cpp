#include "engine/ConstructionFailure.h"

#include "base/Runtime.h"

void ThrowConstructionFailure(const char* call, DWORD error)
{
    // Room for the longest text that the format can give.
    char text[128];
    wsprintfA(text, "Mokacomm: %.64s failed with error %lu", call, static_cast<unsigned long>(error));
    throw std::runtime_error(text);
}
