#include "platform/TextEncoding.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>
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

std::string SystemTextToUtf8(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX / 3) {
        return text;
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(text.size(), L'\0');
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size);
    // Each UTF-16 unit takes at most three bytes of UTF-8.
    std::string utf8(static_cast<size_t>(units) * 3, '\0');
    const int bytes = units > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(),
                                                      static_cast<int>(utf8.size()), nullptr, nullptr)
                                : 0;
    if (bytes <= 0) {
        return text;
    }
    utf8.resize(static_cast<size_t>(bytes));
    return utf8;
}

#else

bool IsUtf16Text(const void* bytes, int count) {
    return portable::IsUtf16Text(bytes, count);
}

int ConvertUtf16Le(const unsigned char* units, int unitCount, CodePage target, char* out, int outSize) {
    return portable::ConvertUtf16Le(units, unitCount, target, out, outSize);
}

std::string SystemTextToUtf8(const std::string& text) {
    return text;
}

#endif

}  // namespace platform
