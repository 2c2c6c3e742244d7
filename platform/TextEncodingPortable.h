// The portable UTF-16 recognition and conversion behind TextEncoding.h where there is no Windows.
// Built everywhere, so that the Windows build can check it against the system's own functions.
#pragma once

#include "platform/TextEncoding.h"

namespace platform::portable {

// As platform::IsUtf16Text and platform::ConvertUtf16Le describe them for systems without Windows.
bool IsUtf16Text(const void* bytes, int count);
int ConvertUtf16Le(const unsigned char* units, int unitCount, CodePage target, char* out, int outSize);

}  // namespace platform::portable
