// The UTF-8 / EUC-JP converter on Windows: MultiByteToWideChar and
// WideCharToMultiByte with code page 20932 (JIS X 0208 and 0212) through
// UTF-16. The default character is watched, so no character is replaced
// quietly.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "eucjp_codec.h"

namespace lumo::cli {
namespace {

constexpr UINT kEucJpPage = 20932;

bool ToWide(UINT page, std::string_view in, std::wstring *wide) {
    wide->clear();
    if (in.empty()) return true;
    const int length = static_cast<int>(in.size());
    const int needed = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    wide->resize(static_cast<size_t>(needed));
    return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), length, wide->data(), needed) == needed;
}

bool FromWide(UINT page, const std::wstring &wide, std::string *out) {
    if (wide.empty()) return true;
    const int length = static_cast<int>(wide.size());
    // UTF-8 refuses the default-character arguments; code page 20932 needs
    // them to report a character that it lacks.
    const DWORD flags = page == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL *used_default_ptr = page == CP_UTF8 ? nullptr : &used_default;
    const int needed = WideCharToMultiByte(page, flags, wide.data(), length, nullptr, 0, nullptr, used_default_ptr);
    if (needed <= 0 || used_default) return false;
    const size_t start = out->size();
    out->resize(start + static_cast<size_t>(needed));
    const int written =
        WideCharToMultiByte(page, flags, wide.data(), length, out->data() + start, needed, nullptr, used_default_ptr);
    if (written != needed || used_default) {
        out->resize(start);
        return false;
    }
    return true;
}

class Win32EucJp final : public EucJpCodec {
public:
    bool ToUtf8(std::string_view euc, std::string *out) override {
        return ToWide(kEucJpPage, euc, &wide_) && FromWide(CP_UTF8, wide_, out);
    }
    bool FromUtf8(std::string_view utf8, std::string *out) override {
        return ToWide(CP_UTF8, utf8, &wide_) && FromWide(kEucJpPage, wide_, out);
    }

private:
    std::wstring wide_;  // kept between calls so that its storage is reused
};

}  // namespace

std::unique_ptr<EucJpCodec> EucJpCodec::Open(std::string *error) {
    if (!IsValidCodePage(kEucJpPage)) {
        *error = "code page 20932 (EUC-JP) is not installed on this system";
        return nullptr;
    }
    return std::make_unique<Win32EucJp>();
}

}  // namespace lumo::cli
