// The converters off Windows: glibc iconv. Its tables for these encodings
// are stateless, so each call starts afresh.
#include <errno.h>
#include <iconv.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "legacy_codec.h"

namespace lumo::cli {
namespace {

class IconvCodec final : public LegacyCodec {
public:
    IconvCodec(iconv_t from_utf8, iconv_t to_utf8) : from_utf8_(from_utf8), to_utf8_(to_utf8) {}
    ~IconvCodec() override {
        iconv_close(from_utf8_);
        iconv_close(to_utf8_);
    }
    IconvCodec(const IconvCodec &) = delete;
    IconvCodec &operator=(const IconvCodec &) = delete;

    // A UTF-8 character of 1 to 4 bytes becomes 1 to 3 bytes of the table.
    bool FromUtf8(std::string_view utf8, std::string *out) override {
        return Convert(from_utf8_, utf8, utf8.size(), out);
    }
    // A character of 1 to 3 bytes becomes at most 3 bytes of UTF-8 (the
    // user-defined rows go to the private use area, 3 bytes too).
    bool ToUtf8(std::string_view bytes, std::string *out) override {
        return Convert(to_utf8_, bytes, bytes.size() * 3, out);
    }

private:
    static bool Convert(iconv_t cd, std::string_view in, size_t room, std::string *out) {
        const size_t start = out->size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        out->resize(start + room + 16);
        char *in_ptr = const_cast<char *>(in.data());  // iconv's prototype is not const
        size_t in_left = in.size();
        char *out_ptr = out->data() + start;
        size_t out_left = out->size() - start;
        while (in_left > 0) {
            if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) break;
            if (errno != E2BIG) {  // EILSEQ or EINVAL: no counterpart, or a cut character
                out->resize(start);
                return false;
            }
            const size_t used = static_cast<size_t>(out_ptr - out->data());
            out->resize(out->size() * 2);
            out_ptr = out->data() + used;
            out_left = out->size() - used;
        }
        out->resize(static_cast<size_t>(out_ptr - out->data()));
        return true;
    }

    iconv_t from_utf8_;
    iconv_t to_utf8_;
};

}  // namespace

std::unique_ptr<LegacyCodec> LegacyCodec::Open(LegacyTable table, std::string *error) {
    const char *name = table == LegacyTable::kCp932 ? "CP932" : "EUC-JP-MS";
    const auto fail = reinterpret_cast<iconv_t>(-1);
    iconv_t from_utf8 = iconv_open(name, "UTF-8");
    if (from_utf8 == fail) {
        *error = std::string("the system's iconv cannot convert UTF-8 to ") + name + ": " + std::strerror(errno);
        return nullptr;
    }
    iconv_t to_utf8 = iconv_open("UTF-8", name);
    if (to_utf8 == fail) {
        *error = std::string("the system's iconv cannot convert ") + name + " to UTF-8: " + std::strerror(errno);
        iconv_close(from_utf8);
        return nullptr;
    }
    return std::make_unique<IconvCodec>(from_utf8, to_utf8);
}

}  // namespace lumo::cli
