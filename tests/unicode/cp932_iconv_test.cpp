// The library's code page 932 against glibc's iconv, the converter of the
// tool, code by code and code point by code point, where the tests have
// iconv (every build but Windows).
#ifdef LUMOTEXT_TEST_ICONV
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "text/unicode_data.h"

namespace {

// One conversion descriptor; Convert gives the whole output, or "" on error.
class Converter {
public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    std::string Convert(std::string in) {
        char out[16];
        char *src = in.data();
        char *dst = out;
        size_t left = in.size();
        size_t room = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) return "";
        return std::string(out, sizeof out - room);
    }

private:
    iconv_t cd_;
};

std::string Utf32(uint32_t cp) { return std::string(reinterpret_cast<const char *>(&cp), 4); }

uint32_t CodePointOf(const std::string &utf32) {
    uint32_t cp;
    std::memcpy(&cp, utf32.data(), 4);
    return cp;
}

bool IsLead(unsigned byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

TEST(Cp932Iconv, EveryCodeDecodesAsIconvDecodesIt) {
    Converter decode("UTF-32LE", "CP932");
    ASSERT_TRUE(decode.ok()) << "iconv has no CP932";
    size_t characters = 0;
    for (uint32_t code = 1; code < 0x10000; ++code) {
        const unsigned lead = code >> 8;
        if (lead != 0 && !IsLead(lead)) continue;  // no such code
        std::string bytes;
        if (lead != 0) bytes += static_cast<char>(lead);
        bytes += static_cast<char>(code & 0xFF);
        const std::string out = decode.Convert(bytes);
        const uint32_t expected = out.size() == 4 ? CodePointOf(out) : lumo::text::kNoCodePoint;
        characters += expected != lumo::text::kNoCodePoint;
        ASSERT_EQ(lumo::text::Cp932CodePoint(static_cast<uint16_t>(code)), expected)
            << std::hex << "code " << code;
    }
    EXPECT_GT(characters, 7000u);
}

TEST(Cp932Iconv, EveryCodePointEncodesAsIconvEncodesIt) {
    Converter encode("CP932", "UTF-32LE");
    Converter decode("UTF-32LE", "CP932");
    ASSERT_TRUE(encode.ok() && decode.ok()) << "iconv has no CP932";
    for (uint32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        // A code that iconv gives one way only (a look-alike) is no code of
        // the character.
        const std::string code = encode.Convert(Utf32(cp));
        uint16_t expected = 0;
        if ((code.size() == 1 || code.size() == 2) && decode.Convert(code) == Utf32(cp)) {
            for (const char byte : code)
                expected = static_cast<uint16_t>(expected << 8 | static_cast<unsigned char>(byte));
        }
        ASSERT_EQ(lumo::text::Cp932Code(cp), expected) << std::hex << "U+" << cp;
    }
}

}  // namespace
#endif
