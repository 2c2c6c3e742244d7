// UTF-8 to UTF-16 and back, for the wide API where text must keep every character.
#pragma once

#include <string>

namespace win32 {

std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& utf16);

}  // namespace win32
