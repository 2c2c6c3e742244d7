#include "platform/TextEncoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/TextEncodingPortable.h"
#endif

namespace platform {

#ifdef _WIN32

bool IsUtf16Text(const void* bytes, int count) {
    // The byte-order mark decides before any statistics, as it does in the portable reading:
    // IsTextUnicode calls a marked file of odd length (its last unit cut off) 8-bit text.
    const auto* b = static_cast<const unsigned char*>(bytes);
    if (count >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        return true;
    }
    return ::IsTextUnicode(bytes, count, nullptr) != FALSE;
}

int ConvertUtf16Le(const unsigned char* units, int unitCount, CodePage target, char* out, int outSize) {
    // WideCharToMultiByte takes no room at all for a question about the size.
    if (unitCount <= 0 || (out && outSize <= 0)) {
        return 0;
    }
    // No best fit: a look-alike ("A" for U+0100, "\\" for the full-width backslash) could name
    // another file than the one written; '?' names none.
    const UINT codePage = target == CodePage::Utf8 ? CP_UTF8 : CP_ACP;
    const DWORD flags = target == CodePage::Utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    return WideCharToMultiByte(codePage, flags, reinterpret_cast<LPCWCH>(units), unitCount, out,
                               out ? outSize : 0, nullptr, nullptr);
}

#else

bool IsUtf16Text(const void* bytes, int count) {
    return portable::IsUtf16Text(bytes, count);
}

int ConvertUtf16Le(const unsigned char* units, int unitCount, CodePage target, char* out, int outSize) {
    return portable::ConvertUtf16Le(units, unitCount, target, out, outSize);
}

#endif

}  // namespace platform
