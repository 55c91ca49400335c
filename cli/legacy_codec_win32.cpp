// The converters on Windows: MultiByteToWideChar and WideCharToMultiByte
// through UTF-16, with code page 932 or 20932 (JIS X 0208 and 0212).
// Best-fit mapping is switched off and the default character is watched, so
// no character is ever replaced quietly.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "legacy_codec.h"

namespace lumo::cli {
namespace {

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
    // UTF-8 refuses the default-character arguments; the other pages need
    // them to report a character that they lack.
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

class Win32Codec final : public LegacyCodec {
public:
    explicit Win32Codec(UINT page) : page_(page) {}
    bool FromUtf8(std::string_view utf8, std::string *out) override {
        return ToWide(CP_UTF8, utf8, &wide_) && FromWide(page_, wide_, out);
    }
    bool ToUtf8(std::string_view bytes, std::string *out) override {
        return ToWide(page_, bytes, &wide_) && FromWide(CP_UTF8, wide_, out);
    }

private:
    UINT page_;
    std::wstring wide_;  // kept between calls so that its storage is reused
};

}  // namespace

std::unique_ptr<LegacyCodec> LegacyCodec::Open(LegacyTable table, std::string *error) {
    const UINT page = table == LegacyTable::kCp932 ? 932 : 20932;
    if (!IsValidCodePage(page)) {
        *error = table == LegacyTable::kCp932 ? "code page 932 is not installed on this system"
                                              : "code page 20932 (EUC-JP) is not installed on this system";
        return nullptr;
    }
    return std::make_unique<Win32Codec>(page);
}

}  // namespace lumo::cli
