// The description's UTF-8 texts as the UTF-16 that the wide Win32 functions take.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::win32 {

std::wstring toWide(std::string_view utf8);

} // namespace tolvane::win32
