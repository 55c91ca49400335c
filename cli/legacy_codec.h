// The platform's converters between UTF-8 and the two older Japanese tables
// the tool reads: code page 932 (the terminal's text for the slot commands)
// and EUC-JP (the rows that EUC-JP and ISO-2022-JP text share). glibc iconv
// ("CP932", and "EUC-JP-MS", the widest of its EUC-JP tables) off Windows,
// the Win32 conversions (code pages 932 and 20932) on Windows.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lumo::cli {

enum class LegacyTable { kCp932, kEucJp };

// Both directions append to *out and return false, with *out as it was,
// when some character of the input has no counterpart in the table; best-fit
// replacements are refused. iconv maps a few characters to code page 932 by
// likeness (U+301C and U+FF5E share 81 60): a caller that needs bytes kept
// checks the round trip. The input holds whole characters and is smaller
// than 1 GiB.
class LegacyCodec {
public:
    // nullptr, with *error set, when the platform cannot convert the table.
    static std::unique_ptr<LegacyCodec> Open(LegacyTable table, std::string *error);
    virtual ~LegacyCodec() = default;

    virtual bool FromUtf8(std::string_view utf8, std::string *out) = 0;
    virtual bool ToUtf8(std::string_view bytes, std::string *out) = 0;
};

}  // namespace lumo::cli
