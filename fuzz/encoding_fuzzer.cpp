// Fuzz target: the command-line tool's encoding conversion. Decoding does not
// depend on the size of the pieces converted, a decoded text holds no NUL and
// encodes back to exactly the input; formatter output written as UTF-8 is
// refused with a message or reads back to the same UTF-8.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "encoding.h"
#include "fuzz_input.h"

namespace {

using lumo::cli::Cp932Codec;
using lumo::cli::DecodedText;
using lumo::cli::Encoding;
using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

Cp932Codec *Codec() {
    static const std::unique_ptr<Cp932Codec> codec = [] {
        std::string error;
        std::unique_ptr<Cp932Codec> opened = Cp932Codec::Open(&error);
        FUZZ_CHECK(opened != nullptr, "no code page 932 converter: " + error);
        return opened;
    }();
    return codec.get();
}

struct Decoded {
    bool ok;
    DecodedText text;
    std::string error;
};

Decoded Decode(const std::string &input, Encoding requested, size_t chunk) {
    Decoded d;
    d.ok = lumo::cli::DecodeInput(input, requested, Codec(), &d.text, &d.error, chunk);
    return d;
}

void CheckDecoding(const std::string &input, Encoding requested, size_t chunk) {
    const Decoded whole = Decode(input, requested, lumo::cli::kDefaultChunkBytes);
    const Decoded pieces = Decode(input, requested, chunk);
    // After a failure the text holds whatever was converted; only the
    // message counts.
    FUZZ_CHECK(whole.ok == pieces.ok && whole.error == pieces.error &&
                   (!whole.ok || whole.text.cp932 == pieces.text.cp932) &&
                   whole.text.encoding == pieces.text.encoding && whole.text.bom == pieces.text.bom,
               "pieces of " + std::to_string(chunk) + " bytes decode otherwise: \"" + pieces.error +
                   "\" against \"" + whole.error + "\"");
    const bool valid_utf8 = lumo::cli::FindInvalidUtf8(input) == std::string_view::npos;
    if (requested == Encoding::kAuto) {
        FUZZ_CHECK(whole.text.encoding == (valid_utf8 ? Encoding::kUtf8 : Encoding::kShiftJis),
                   "auto chose the wrong encoding");
    }
    if (!whole.ok) {
        FUZZ_CHECK(!whole.error.empty(), "a failed decoding without a message");
        return;
    }
    const DecodedText &text = whole.text;
    FUZZ_CHECK(text.encoding == Encoding::kUtf8 || text.encoding == Encoding::kShiftJis,
               "decoded as neither UTF-8 nor Shift-JIS");
    FUZZ_CHECK(text.cp932.find('\0') == std::string::npos, "a NUL reached the formatter");
    if (text.encoding == Encoding::kShiftJis) {
        FUZZ_CHECK(text.cp932 == input, "Shift-JIS input not passed on as it is");
    } else {
        FUZZ_CHECK(valid_utf8, "invalid UTF-8 decoded as UTF-8");
        FUZZ_CHECK(text.bom == (input.compare(0, kBom.size(), kBom) == 0), "byte order mark");
    }
    std::string back;
    std::string error;
    FUZZ_CHECK(lumo::cli::EncodeOutput(text.cp932, text, Codec(), &back, &error, chunk),
               "a decoded text does not encode back: " + error);
    FUZZ_CHECK(back == input, "the text does not come back: " + Hex(back.substr(0, 200)) +
                                  " for " + Hex(input.substr(0, 200)));
}

// Code page 932 bytes written out as UTF-8: either refused with a message
// or stable, reading the UTF-8 again giving text that writes the same UTF-8.
void CheckEncoding(const std::string &cp932, bool bom, size_t chunk) {
    if (cp932.find('\0') != std::string::npos) return;  // the formatter never returns a NUL
    DecodedText as_utf8;
    as_utf8.encoding = Encoding::kUtf8;
    as_utf8.bom = bom;
    std::string whole;
    std::string whole_error;
    const bool ok = lumo::cli::EncodeOutput(cp932, as_utf8, Codec(), &whole, &whole_error,
                                            lumo::cli::kDefaultChunkBytes);
    std::string pieces;
    std::string pieces_error;
    const bool pieces_ok = lumo::cli::EncodeOutput(cp932, as_utf8, Codec(), &pieces, &pieces_error, chunk);
    FUZZ_CHECK(ok == pieces_ok && whole_error == pieces_error && (!ok || whole == pieces),
               "pieces of " + std::to_string(chunk) + " bytes encode otherwise");
    if (!ok) {
        FUZZ_CHECK(!whole_error.empty(), "a failed encoding without a message");
        return;
    }
    FUZZ_CHECK(lumo::cli::FindInvalidUtf8(whole) == std::string_view::npos, "encoded to invalid UTF-8");
    const Decoded again = Decode(whole, Encoding::kUtf8, chunk);
    FUZZ_CHECK(again.ok, "written UTF-8 does not read back: " + again.error);
    FUZZ_CHECK(again.text.bom == bom, "byte order mark not restored");
    std::string twice;
    std::string error;
    FUZZ_CHECK(lumo::cli::EncodeOutput(again.text.cp932, again.text, Codec(), &twice, &error, chunk) &&
                   twice == whole,
               "UTF-8 written, read and written again changes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const size_t chunk = 1 + in.Below(64);
    const std::string rest = in.Rest();
    switch (mode % 4) {
    case 0: CheckDecoding(rest, Encoding::kAuto, chunk); break;
    case 1: CheckDecoding(rest, Encoding::kUtf8, chunk); break;
    case 2: CheckDecoding(rest, Encoding::kShiftJis, chunk); break;
    default: CheckEncoding(rest, (mode & 4) != 0, chunk); break;
    }
    return 0;
}
