// The UTF-8 / code page 932 converter on Windows: MultiByteToWideChar and
// WideCharToMultiByte through UTF-16. Best-fit mapping is switched off and the
// default character is watched, so no character is ever replaced quietly.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "encoding.h"

namespace lumo::cli {
namespace {

constexpr UINT kCp932 = 932;

// Both directions reject what they cannot map: MB_ERR_INVALID_CHARS for bytes
// that are not a character of the source page.
bool ToWide(UINT page, std::string_view in, std::wstring *wide) {
    wide->clear();
    if (in.empty()) return true;
    const int in_length = static_cast<int>(in.size());
    const int needed = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), in_length, nullptr, 0);
    if (needed <= 0) return false;
    wide->resize(static_cast<size_t>(needed));
    return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), in_length, wide->data(), needed) ==
           needed;
}

bool FromWide(UINT page, const std::wstring &wide, std::string *out) {
    if (wide.empty()) return true;
    const int wide_length = static_cast<int>(wide.size());
    // UTF-8 refuses the default-character arguments; code page 932 needs them
    // to report a character that it lacks.
    const DWORD flags = page == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL *used_default_ptr = page == CP_UTF8 ? nullptr : &used_default;
    const int needed =
        WideCharToMultiByte(page, flags, wide.data(), wide_length, nullptr, 0, nullptr, used_default_ptr);
    if (needed <= 0 || used_default) return false;
    const size_t start = out->size();
    out->resize(start + static_cast<size_t>(needed));
    const int written = WideCharToMultiByte(page, flags, wide.data(), wide_length, out->data() + start,
                                            needed, nullptr, used_default_ptr);
    if (written != needed || used_default) {
        out->resize(start);
        return false;
    }
    return true;
}

class Win32Codec final : public Cp932Codec {
public:
    bool FromUtf8(std::string_view utf8, std::string *out) override {
        return ToWide(CP_UTF8, utf8, &wide_) && FromWide(kCp932, wide_, out);
    }
    bool ToUtf8(std::string_view cp932, std::string *out) override {
        return ToWide(kCp932, cp932, &wide_) && FromWide(CP_UTF8, wide_, out);
    }

private:
    std::wstring wide_;  // kept between calls so that its storage is reused
};

}  // namespace

std::unique_ptr<Cp932Codec> Cp932Codec::Open(std::string *error) {
    if (!IsValidCodePage(kCp932)) {
        *error = "code page 932 is not installed on this system";
        return nullptr;
    }
    return std::make_unique<Win32Codec>();
}

}  // namespace lumo::cli
