// Fuzz target: the tool's encodings. Detection decides the same whatever the
// cuts of the text it is fed, and a refusal always says why; EUC-JP and
// ISO-2022-JP read piece by piece give the same UTF-8 as read whole, and that
// UTF-8 written back gives every byte of the input again; a decided text
// checked a block at a time finds what the full walk finds.
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding_detect.h"
#include "fuzz_input.h"
#include "text_convert.h"

namespace {

using lumo::cli::Encoding;
using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;

// input fed to the detector whole and in pieces of chunk bytes.
void CheckDetection(const std::string &input, size_t chunk) {
    lumo::cli::EncodingDetector whole;
    whole.Feed(input);
    whole.Finish();
    lumo::cli::EncodingDetector pieces;
    for (size_t at = 0; at < input.size(); at += chunk) pieces.Feed(std::string_view(input).substr(at, chunk));
    pieces.Finish();
    for (const Encoding requested : {Encoding::kAuto, Encoding::kUtf8, Encoding::kShiftJis}) {
        const lumo::cli::EncodingChoice a = lumo::cli::ChooseEncoding(whole, requested, false);
        const lumo::cli::EncodingChoice b = lumo::cli::ChooseEncoding(pieces, requested, false);
        FUZZ_CHECK(a.encoding == b.encoding && a.refused == b.refused && a.reason == b.reason,
                   "pieces of " + std::to_string(chunk) + " bytes decide otherwise: \"" + b.reason +
                       "\" against \"" + a.reason + "\"");
        FUZZ_CHECK(!a.refused || !a.reason.empty(), "a refusal without a reason");
    }
}

void CheckRoundTrip(const std::string &input, Encoding encoding, size_t chunk) {
    std::string error;
    auto whole_decoder = lumo::cli::TextDecoder::Open(encoding, &error);
    FUZZ_CHECK(whole_decoder != nullptr, "no converter: " + error);
    std::string whole;
    whole_decoder->Decode(input, true, &whole);
    auto decoder = lumo::cli::TextDecoder::Open(encoding, &error);
    std::string utf8;
    for (size_t at = 0; at < input.size(); at += chunk) {
        decoder->Decode(std::string_view(input).substr(at, chunk), false, &utf8);
    }
    decoder->Decode({}, true, &utf8);
    FUZZ_CHECK(utf8 == whole, "pieces of " + std::to_string(chunk) + " bytes read otherwise");
    auto encoder = lumo::cli::TextEncoder::Open(encoding, decoder->style(), &error);
    FUZZ_CHECK(encoder != nullptr, "no converter: " + error);
    std::string back;
    for (size_t at = 0; at < utf8.size(); at += chunk) {
        FUZZ_CHECK(encoder->Encode(std::string_view(utf8).substr(at, chunk), false, &back, &error),
                   "what was read does not write back: " + error);
    }
    FUZZ_CHECK(encoder->Encode({}, true, &back, &error), "the end does not write back: " + error);
    if (encoding == Encoding::kEucJp) {
        FUZZ_CHECK(back == input, "EUC-JP does not come back: " + Hex(back.substr(0, 200)) + " for " +
                                      Hex(input.substr(0, 200)));
    } else {
        // ISO-2022-JP may spell its shifts otherwise; read again, it is the same text.
        auto again = lumo::cli::TextDecoder::Open(encoding, &error);
        std::string twice;
        again->Decode(back, true, &twice);
        FUZZ_CHECK(twice == utf8, "ISO-2022-JP written back reads otherwise");
    }
}

// A decided text checked (a block or a run at a time) finds what the full
// walk finds: stray bytes, characters and the places.
void CheckChecking(const std::string &input, Encoding encoding, size_t chunk) {
    lumo::cli::EncodingFit walked(encoding);
    lumo::cli::EncodingFit checked(encoding);
    checked.CheckOnly();
    // The evidence that decided comes first, as it does in the tool.
    const std::string text = (encoding == Encoding::kUtf8 ? "\xE3\x81\x82" : "\x82\xA0") + input + "\xFF\xFF\xFF\xFF\xFF";
    for (size_t at = 0; at < text.size(); at += chunk * 64) {
        walked.Feed(std::string_view(text).substr(at, chunk * 64));
        checked.Feed(std::string_view(text).substr(at, chunk * 64));
    }
    walked.Finish();
    checked.Finish();
    FUZZ_CHECK(checked.counts().strays == walked.counts().strays &&
                   checked.counts().Characters() == walked.counts().Characters() &&
                   checked.misfit().at.line == walked.misfit().at.line &&
                   checked.misfit().at.column == walked.misfit().at.column &&
                   checked.first_stray().at.line == walked.first_stray().at.line &&
                   checked.first_stray().at.column == walked.first_stray().at.column,
               "checking finds otherwise than the full walk");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const size_t chunk = 1 + in.Below(64);
    const std::string rest = in.Rest();
    switch (mode % 5) {
    case 0: CheckDetection(rest, chunk); break;
    case 1: CheckRoundTrip(rest, Encoding::kEucJp, chunk); break;
    case 2: CheckRoundTrip(rest, Encoding::kIso2022Jp, chunk); break;
    case 3: CheckChecking(rest, Encoding::kUtf8, chunk); break;
    default: CheckChecking(rest, Encoding::kShiftJis, chunk); break;
    }
    return 0;
}
