// Converters between EUC-JP or ISO-2022-JP and UTF-8 that work piece by
// piece: a character cut at the end of a piece (and ISO-2022-JP's shift
// state) carries over to the next one, so that the result does not depend
// on where the pieces were cut. The text is formatted as its UTF-8 form, and
// the result converted back; the bytes come back exactly as they were:
//
//  - a piece of text counts as decoded only when it comes back from UTF-8
//    byte for byte;
//  - a byte that is no character of the encoding (or a character that
//    would not come back) travels through UTF-8 as a stand-in, a private
//    use character that holds the byte, and becomes the byte again;
//  - ISO-2022-JP is written with the escape sequences that the input used
//    (ESC $ B or ESC $ @, ESC ( B or ESC ( J), switching to the one-byte set
//    before every ASCII character, line ends included, and at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "char_scan.h"
#include "encoding.h"
#include "legacy_codec.h"

namespace lumo::cli {

// The escape sequences an ISO-2022-JP text selects its sets with.
struct IsoStyle {
    char two_byte = 'B';  // ESC $ B; '@' for ESC $ @
    char one_byte = 'B';  // ESC ( B; 'J' for ESC ( J
};

// A byte carried through UTF-8, and for a seven-bit byte of ISO-2022-JP the
// set it stood in (it reads otherwise in another).
struct StandIn {
    unsigned char byte = 0;
    bool in_set = false;
    IsoSet set = IsoSet::kAscii;
};

// The stand-in for a byte, U+10FF00 + byte; for a byte below 0x80 that
// stood in ISO-2022-JP's set, U+10FA00 + 256 x set + byte. Four bytes of
// UTF-8, in the last private use plane, which no EUC-JP text reaches.
void AppendStandIn(unsigned char byte, std::string *utf8);
void AppendStandIn(unsigned char byte, IsoSet set, std::string *utf8);
// Whether the UTF-8 character at p is a stand-in, and for what.
bool ReadStandIn(const unsigned char *p, const unsigned char *end, StandIn *stand_in);

class TextDecoder {
public:
    // from is kEucJp or kIso2022Jp; nullptr, with *error set, when the
    // platform cannot convert it.
    static std::unique_ptr<TextDecoder> Open(Encoding from, std::string *error);

    // Appends the UTF-8 form of bytes to *out. A character cut at their
    // end waits for the next call; with last there is none, and its bytes
    // become stand-ins.
    void Decode(std::string_view bytes, bool last, std::string *out);

    // Bytes that became stand-ins so far.
    uint64_t stand_ins() const { return stand_ins_; }
    // The escape sequences seen first (ISO-2022-JP).
    const IsoStyle &style() const { return style_; }

private:
    TextDecoder(Encoding from, std::unique_ptr<LegacyCodec> codec) : from_(from), codec_(std::move(codec)) {}
    void Flush(std::string *out);
    void ConvertRun(std::string_view euc, std::string *out);
    void StandInFor(unsigned char byte, IsoSet set, std::string *out);
    void StandIns(std::string_view euc_char, std::string *out);
    void NoteShift(const unsigned char *p, uint8_t length);

    Encoding from_;
    std::unique_ptr<LegacyCodec> codec_;
    IsoSet set_ = IsoSet::kAscii;
    IsoStyle style_;
    bool seen_two_byte_ = false;
    bool seen_one_byte_ = false;
    std::string carry_;
    std::string run_;  // EUC-JP bytes not yet converted
    std::string utf8_, back_;
    uint64_t stand_ins_ = 0;
};

class TextEncoder {
public:
    // to is kEucJp or kIso2022Jp; nullptr, with *error set, when the
    // platform cannot convert it.
    static std::unique_ptr<TextEncoder> Open(Encoding to, const IsoStyle &style, std::string *error);

    // Appends the encoding's form of utf8 to *out. A UTF-8 character cut at
    // the end waits for the next call; last ends the text. False, with
    // *error set ("line 3, column 7: U+00E9 cannot be written in EUC-JP"),
    // for a character that the encoding lacks or bytes that are not UTF-8.
    bool Encode(std::string_view utf8, bool last, std::string *out, std::string *error);

private:
    TextEncoder(Encoding to, const IsoStyle &style, std::unique_ptr<LegacyCodec> codec)
        : to_(to), style_(style), codec_(std::move(codec)) {}
    bool Flush(std::string *out, std::string *error);
    void Emit(std::string_view euc, std::string *out);
    void Select(IsoSet set, std::string *out);
    void Advance(std::string_view utf8);
    std::string Place() const;  // "line N, column M" of run_'s first character

    Encoding to_;
    IsoStyle style_;
    std::unique_ptr<LegacyCodec> codec_;
    IsoSet set_ = IsoSet::kAscii;
    bool reselect_ = false;  // set_ must be selected again before its next character
    std::string carry_;
    std::string run_;  // UTF-8 not yet converted
    std::string euc_;
    TextPosition position_;  // of run_'s first character, for messages
    bool after_cr_ = false;
};

}  // namespace lumo::cli
