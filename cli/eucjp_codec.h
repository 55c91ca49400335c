// The platform's converter between UTF-8 and EUC-JP: glibc iconv's
// EUC-JP-MS off Windows (JIS X 0208 and 0212 with the NEC and IBM rows that
// code page 932 has), the Win32 conversion functions with code page 20932 on
// Windows. ISO-2022-JP reaches it through iso2022_jp.h, as the same rows.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lumo::cli {

// Both directions append to *out and return false, with *out as it was,
// when some character of the input has no counterpart; they never
// substitute a character. The input holds whole characters and is smaller
// than 1 GiB. A caller that needs bytes kept checks the round trip.
class EucJpCodec {
public:
    // nullptr, with *error set, when the platform cannot convert EUC-JP.
    static std::unique_ptr<EucJpCodec> Open(std::string *error);
    virtual ~EucJpCodec() = default;

    virtual bool ToUtf8(std::string_view euc, std::string *out) = 0;
    virtual bool FromUtf8(std::string_view utf8, std::string *out) = 0;
};

}  // namespace lumo::cli
