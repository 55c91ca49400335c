// Test helpers for Shift-JIS byte strings: UTF-8 literals converted to code
// page 932 at run time, hex spellings of byte strings for vectors and failure
// messages, and heap copies sized exactly so that a read past the NUL trips
// the address sanitizer.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace lumo_test {

// The code page 932 bytes of a UTF-8 text. Aborts on a character that code
// page 932 cannot hold, since such a vector would test nothing.
#ifdef _WIN32
inline std::string Sjis(std::string_view utf8) {
    const int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), wide_length);
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(932, 0, wide.data(), wide_length, nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(932, 0, wide.data(), wide_length, out.data(), length, nullptr, &lossy);
    if ((wide_length == 0 && !utf8.empty()) || lossy) {
        std::fprintf(stderr, "no CP932 form for \"%.*s\"\n", static_cast<int>(utf8.size()), utf8.data());
        std::abort();
    }
    return out;
}
#else
inline std::string Sjis(std::string_view utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open CP932");
        std::abort();
    }
    std::string in(utf8);
    std::string out(in.size() * 2 + 8, '\0');
    char *src = in.data();
    size_t src_left = in.size();
    char *dst = out.data();
    size_t dst_left = out.size();
    if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
        std::fprintf(stderr, "no CP932 form for \"%s\" (errno %d)\n", in.c_str(), errno);
        std::abort();
    }
    iconv_close(cd);
    out.resize(out.size() - dst_left);
    return out;
}
#endif

// Like Sjis, but with the blanks made visible in the source: "␣" stands for
// the half-width space 0x20 and "□" for the full-width space 81 40.
inline std::string SjisMarked(std::string_view utf8) {
    static constexpr std::string_view kNarrowMark = "\xE2\x90\xA3";  // ␣
    static constexpr std::string_view kWideMark = "\xE2\x96\xA1";    // □
    static constexpr std::string_view kWideSpace = "\xE3\x80\x80";   // U+3000
    std::string plain;
    for (size_t i = 0; i < utf8.size();) {
        std::string_view rest = utf8.substr(i);
        if (rest.substr(0, kNarrowMark.size()) == kNarrowMark) {
            plain += ' ';
            i += kNarrowMark.size();
        } else if (rest.substr(0, kWideMark.size()) == kWideMark) {
            plain += kWideSpace;
            i += kWideMark.size();
        } else {
            plain += utf8[i];
            ++i;
        }
    }
    return Sjis(plain);
}

// Bytes from a hex spelling such as "81 40 20"; blanks between bytes are
// optional. Aborts on a malformed spelling.
inline std::string FromHex(std::string_view hex) {
    std::string bytes;
    int high = -1;
    for (char c : hex) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c == ' ') {
            continue;
        } else {
            std::fprintf(stderr, "bad hex spelling \"%.*s\"\n", static_cast<int>(hex.size()),
                         hex.data());
            std::abort();
        }
        if (high < 0) {
            high = v;
        } else {
            bytes += static_cast<char>(high * 16 + v);
            high = -1;
        }
    }
    if (high >= 0) {
        std::fprintf(stderr, "odd hex spelling \"%.*s\"\n", static_cast<int>(hex.size()),
                     hex.data());
        std::abort();
    }
    return bytes;
}

// "81 40 20" for failure messages; the empty string shows as "(empty)".
inline std::string Hex(std::string_view bytes) {
    if (bytes.empty()) {
        return "(empty)";
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out;
}

// A NUL-terminated heap copy with no byte to spare, so that a scan that steps
// over the terminator reads outside the allocation.
class ExactText {
public:
    explicit ExactText(std::string_view bytes)
        : size_(bytes.size()), data_(new char[bytes.size() + 1]) {
        std::memcpy(data_.get(), bytes.data(), bytes.size());
        data_[bytes.size()] = '\0';
    }
    const char *c_str() const { return data_.get(); }
    char *data() { return data_.get(); }
    size_t size() const { return size_; }

private:
    size_t size_;
    std::unique_ptr<char[]> data_;
};

}  // namespace lumo_test
