// The piecewise converters. Both walk the text with char_scan.h, gather
// runs of characters for the platform's converter, and handle what it
// cannot take one character at a time: the decoder halves a run that does
// not come back whole until the characters at fault are alone, the encoder
// halves it to name the first character the encoding lacks.
#include "text_convert.h"

#include <cstdio>

namespace lumo::cli {
namespace {

constexpr uint32_t kStandInBase = 0x10FF00;

bool IsOneByteSet(IsoSet set) { return set == IsoSet::kAscii || set == IsoSet::kRoman; }

// The end of the EUC-JP character that begins at or after the middle of
// euc: where a run is halved.
size_t BoundaryNear(std::string_view euc, size_t middle) {
    const auto *begin = reinterpret_cast<const unsigned char *>(euc.data());
    const auto *end = begin + euc.size();
    IsoSet unused = IsoSet::kAscii;
    size_t at = 0;
    while (at < middle) at += ScanChar(Encoding::kEucJp, begin + at, end, &unused).length;
    return at;
}

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// The bytes of a piece behind those of a character cut at the end of the
// last one (carry, emptied), joined in *joined when there are any.
std::string_view AfterCarry(std::string *carry, std::string_view bytes, std::string *joined) {
    if (carry->empty()) return bytes;
    *joined = std::move(*carry);
    joined->append(bytes);
    carry->clear();
    return *joined;
}

uint32_t CodePointOf(const unsigned char *p, uint8_t length) {
    if (length == 1) return p[0];
    uint32_t value = p[0] & (0xFFu >> (length + 1));
    for (uint8_t i = 1; i < length; ++i) value = (value << 6) | (p[i] & 0x3Fu);
    return value;
}

}  // namespace

namespace {

constexpr uint32_t kSetStandInBase = 0x10FA00;

void AppendCodePoint(uint32_t c, std::string *utf8) {
    utf8->push_back(static_cast<char>(0xF0 | (c >> 18)));
    utf8->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    utf8->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    utf8->push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

}  // namespace

void AppendStandIn(unsigned char byte, std::string *utf8) { AppendCodePoint(kStandInBase + byte, utf8); }

void AppendStandIn(unsigned char byte, IsoSet set, std::string *utf8) {
    if (byte >= 0x80) {
        AppendStandIn(byte, utf8);
        return;
    }
    AppendCodePoint(kSetStandInBase + (static_cast<uint32_t>(set) << 8) + byte, utf8);
}

bool ReadStandIn(const unsigned char *p, const unsigned char *end, StandIn *stand_in) {
    if (end - p < 4 || p[0] != 0xF4 || p[1] != 0x8F || p[2] < 0xA8 || p[2] > 0xBF || (p[3] & 0xC0) != 0x80) {
        return false;
    }
    const uint32_t c = (0x4u << 18) | (0x0Fu << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
    stand_in->byte = static_cast<unsigned char>(c & 0xFF);
    stand_in->in_set = c < kStandInBase;
    stand_in->set = stand_in->in_set ? static_cast<IsoSet>((c - kSetStandInBase) >> 8) : IsoSet::kAscii;
    return !stand_in->in_set || stand_in->set <= IsoSet::kJis0212;
}

// ---- Decoding ---------------------------------------------------------------

std::unique_ptr<TextDecoder> TextDecoder::Open(Encoding from, std::string *error) {
    std::unique_ptr<LegacyCodec> codec = LegacyCodec::Open(LegacyTable::kEucJp, error);
    if (codec == nullptr) return nullptr;
    return std::unique_ptr<TextDecoder>(new TextDecoder(from, std::move(codec)));
}

void TextDecoder::StandInFor(unsigned char byte, IsoSet set, std::string *out) {
    if (from_ == Encoding::kIso2022Jp) {
        AppendStandIn(byte, set, out);
    } else {
        AppendStandIn(byte, out);
    }
    ++stand_ins_;
}

// The bytes of the input that a character of the run stood for: itself in
// EUC-JP, its seven-bit bytes in the set it came from in ISO-2022-JP.
void TextDecoder::StandIns(std::string_view euc_char, std::string *out) {
    if (from_ != Encoding::kIso2022Jp) {
        for (const char c : euc_char) StandInFor(static_cast<unsigned char>(c), IsoSet::kAscii, out);
        return;
    }
    IsoSet set = IsoSet::kJis0208;
    std::string_view original = euc_char;
    const auto lead = static_cast<unsigned char>(original[0]);
    if (lead == 0x8E || lead == 0x8F) {
        set = lead == 0x8E ? IsoSet::kKatakana : IsoSet::kJis0212;
        original.remove_prefix(1);
    }
    for (const char c : original) StandInFor(static_cast<unsigned char>(c) & 0x7F, set, out);
}

void TextDecoder::ConvertRun(std::string_view euc, std::string *out) {
    if (euc.empty()) return;
    utf8_.clear();
    back_.clear();
    if (codec_->ToUtf8(euc, &utf8_) && codec_->FromUtf8(utf8_, &back_) && back_ == euc) {
        out->append(utf8_);
        return;
    }
    const size_t middle = BoundaryNear(euc, euc.size() / 2);
    if (middle == 0 || middle >= euc.size()) {
        // One character (or a first one longer than half the run).
        const size_t first = BoundaryNear(euc, 1);
        if (first >= euc.size()) {
            StandIns(euc, out);
            return;
        }
        ConvertRun(euc.substr(0, first), out);
        ConvertRun(euc.substr(first), out);
        return;
    }
    ConvertRun(euc.substr(0, middle), out);
    ConvertRun(euc.substr(middle), out);
}

void TextDecoder::Flush(std::string *out) {
    ConvertRun(run_, out);
    run_.clear();
}

void TextDecoder::NoteShift(const unsigned char *p, uint8_t length) {
    if (length != 3) return;
    if (p[1] == '$' && !seen_two_byte_) {
        style_.two_byte = static_cast<char>(p[2]);
        seen_two_byte_ = true;
    } else if (p[1] == '(' && p[2] != 'I' && !seen_one_byte_) {
        style_.one_byte = static_cast<char>(p[2]);
        seen_one_byte_ = true;
    }
}

void TextDecoder::Decode(std::string_view bytes, bool last, std::string *out) {
    std::string joined;
    bytes = AfterCarry(&carry_, bytes, &joined);
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80 && *p != 0x1B && IsOneByteSet(set_)) {
            const unsigned char *ascii = p;
            while (p < end && *p < 0x80 && *p != 0x1B) ++p;
            run_.append(reinterpret_cast<const char *>(ascii), static_cast<size_t>(p - ascii));
            continue;
        }
        ScannedChar c = ScanChar(from_, p, end, &set_);
        if (c.kind == CharKind::kCut) {
            if (!last) {
                carry_.assign(reinterpret_cast<const char *>(p), static_cast<size_t>(end - p));
                break;
            }
            // An escape cut short by the end of the text begins no shift: it
            // is a control character, as any other escape is.
            if (*p == 0x1B) c = ScannedChar{1, CharKind::kAscii};
        }
        switch (c.kind) {
        case CharKind::kAscii: run_.push_back(static_cast<char>(*p)); break;
        case CharKind::kShift: NoteShift(p, c.length); break;
        case CharKind::kStray:
        case CharKind::kCut:
            Flush(out);
            for (uint8_t i = 0; i < c.length; ++i) StandInFor(p[i], set_, out);
            break;
        default:
            if (from_ == Encoding::kEucJp) {
                run_.append(reinterpret_cast<const char *>(p), c.length);
            } else if (set_ == IsoSet::kKatakana) {
                run_.push_back(static_cast<char>(0x8E));
                run_.push_back(static_cast<char>(p[0] | 0x80));
            } else {
                if (set_ == IsoSet::kJis0212) run_.push_back(static_cast<char>(0x8F));
                run_.push_back(static_cast<char>(p[0] | 0x80));
                run_.push_back(static_cast<char>(p[1] | 0x80));
            }
            break;
        }
        p += c.length;
    }
    Flush(out);
}

// ---- Encoding ---------------------------------------------------------------

std::unique_ptr<TextEncoder> TextEncoder::Open(Encoding to, const IsoStyle &style, std::string *error) {
    std::unique_ptr<LegacyCodec> codec = LegacyCodec::Open(LegacyTable::kEucJp, error);
    if (codec == nullptr) return nullptr;
    return std::unique_ptr<TextEncoder>(new TextEncoder(to, style, std::move(codec)));
}

std::string TextEncoder::Place() const {
    return "line " + std::to_string(position_.line) + ", column " + std::to_string(position_.column);
}

// Lines and columns as the formatter counts them, for messages.
void TextEncoder::Advance(std::string_view utf8) {
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n' && after_cr_) {
            after_cr_ = false;
            continue;
        }
        after_cr_ = byte == '\r';
        if (byte == '\n' || byte == '\r') {
            ++position_.line;
            position_.column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++position_.column;
        }
    }
}

void TextEncoder::Select(IsoSet set, std::string *out) {
    if (set_ == set && !reselect_) return;
    set_ = set;
    reselect_ = false;
    if (set == IsoSet::kJis0208) {
        out->append(style_.two_byte == '@' ? "\x1B$@" : "\x1B$B");
    } else {
        out->append(IsoDesignation(set));
    }
}

void TextEncoder::Emit(std::string_view euc, std::string *out) {
    if (to_ == Encoding::kEucJp) {
        out->append(euc);
        return;
    }
    const IsoSet one_byte = style_.one_byte == 'J' ? IsoSet::kRoman : IsoSet::kAscii;
    const auto *p = reinterpret_cast<const unsigned char *>(euc.data());
    const auto *end = p + euc.size();
    while (p < end) {
        if (*p < 0x80) {
            if (!IsOneByteSet(set_)) Select(one_byte, out);
            const unsigned char *ascii = p;
            while (p < end && *p < 0x80) ++p;
            out->append(reinterpret_cast<const char *>(ascii), static_cast<size_t>(p - ascii));
        } else if (*p == 0x8E && end - p >= 2) {
            Select(IsoSet::kKatakana, out);
            out->push_back(static_cast<char>(p[1] & 0x7F));
            p += 2;
        } else if (*p == 0x8F && end - p >= 3) {
            Select(IsoSet::kJis0212, out);
            out->push_back(static_cast<char>(p[1] & 0x7F));
            out->push_back(static_cast<char>(p[2] & 0x7F));
            p += 3;
        } else if (end - p >= 2) {
            Select(IsoSet::kJis0208, out);
            out->push_back(static_cast<char>(p[0] & 0x7F));
            out->push_back(static_cast<char>(p[1] & 0x7F));
            p += 2;
        } else {
            out->push_back(static_cast<char>(*p++));  // cannot happen: the converter gives whole characters
        }
    }
}

bool TextEncoder::Flush(std::string *out, std::string *error) {
    if (run_.empty()) return true;
    euc_.clear();
    if (codec_->FromUtf8(run_, &euc_)) {
        Emit(euc_, out);
        Advance(run_);
        run_.clear();
        return true;
    }
    // The first character that does not convert, by halving the run at
    // character boundaries; the converter is stateless.
    std::string_view rest = run_;
    size_t before = 0;
    const auto boundary = [](std::string_view text, size_t at) {
        while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
        return at;
    };
    for (;;) {
        const auto *begin = reinterpret_cast<const unsigned char *>(rest.data());
        IsoSet unused = IsoSet::kAscii;
        const size_t first = ScanChar(Encoding::kUtf8, begin, begin + rest.size(), &unused).length;
        if (first >= rest.size()) break;
        size_t middle = boundary(rest, rest.size() / 2);
        if (middle == 0) middle = first;
        euc_.clear();
        if (codec_->FromUtf8(rest.substr(0, middle), &euc_)) {
            before += middle;
            rest.remove_prefix(middle);
        } else {
            rest = rest.substr(0, middle);
        }
    }
    Advance(std::string_view(run_).substr(0, before));
    const auto *bad = reinterpret_cast<const unsigned char *>(rest.data());
    *error = Place() + ": U+" +
             Hex(CodePointOf(bad, static_cast<uint8_t>(rest.size())), 4) + " cannot be written in " +
             EncodingName(to_);
    return false;
}

bool TextEncoder::Encode(std::string_view utf8, bool last, std::string *out, std::string *error) {
    std::string joined;
    utf8 = AfterCarry(&carry_, utf8, &joined);
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = p + utf8.size();
    while (p < end) {
        if (*p < 0x80) {
            const unsigned char *ascii = p;
            while (p < end && *p < 0x80 && *p != 0x1B) ++p;
            run_.append(reinterpret_cast<const char *>(ascii), static_cast<size_t>(p - ascii));
            if (p == end || *p != 0x1B) continue;
            if (to_ != Encoding::kIso2022Jp) {
                run_.push_back(static_cast<char>(*p++));
                continue;
            }
            // An ESC of the text that the letters behind it would make a
            // shift when read back is followed by a designation of the set
            // in force, which keeps it a control character.
            IsoSet probe = IsoSet::kAscii;
            const ScannedChar escape = ScanChar(Encoding::kIso2022Jp, p, end, &probe);
            if (escape.kind == CharKind::kCut && !last) {
                carry_.assign(reinterpret_cast<const char *>(p), static_cast<size_t>(end - p));
                break;
            }
            run_.push_back(static_cast<char>(*p++));
            if (escape.kind == CharKind::kShift) {
                if (!Flush(out, error)) return false;
                reselect_ = true;
                Select(set_, out);
            }
            continue;
        }
        IsoSet unused = IsoSet::kAscii;
        const ScannedChar c = ScanChar(Encoding::kUtf8, p, end, &unused);
        if (c.kind == CharKind::kCut && !last) {
            carry_.assign(reinterpret_cast<const char *>(p), static_cast<size_t>(end - p));
            break;
        }
        StandIn stand_in;
        if (c.kind == CharKind::kStray || c.kind == CharKind::kCut) {
            if (!Flush(out, error)) return false;
            *error = Place() + ": the formatted text has a byte that is not UTF-8 (0x" + Hex(*p, 2) + ")";
            return false;
        }
        if (c.length == 4 && ReadStandIn(p, end, &stand_in)) {
            if (!Flush(out, error)) return false;
            if (stand_in.in_set && to_ == Encoding::kIso2022Jp) Select(stand_in.set, out);
            out->push_back(static_cast<char>(stand_in.byte));
            // A lone byte of a two-byte set would pair with what follows:
            // the next character selects its set again, which ends it.
            if (stand_in.in_set && (stand_in.set == IsoSet::kJis0208 || stand_in.set == IsoSet::kJis0212)) {
                reselect_ = true;
            }
            Advance(std::string_view(reinterpret_cast<const char *>(p), 4));
        } else {
            run_.append(reinterpret_cast<const char *>(p), c.length);
        }
        p += c.length;
    }
    if (!Flush(out, error)) return false;
    if (last && to_ == Encoding::kIso2022Jp && !IsOneByteSet(set_)) {
        Select(style_.one_byte == 'J' ? IsoSet::kRoman : IsoSet::kAscii, out);
    }
    return true;
}

}  // namespace lumo::cli
