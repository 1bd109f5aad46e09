#include "toolkit/win32/wide_text.h"

#include "toolkit/win32/windows_api.h"

namespace tolvane::win32 {

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int inputLength = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputLength, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputLength, wide.data(), length);
    return wide;
}

} // namespace tolvane::win32
