// The walk of one candidate and the choice between them. A character that
// more bytes may complete waits in a small carry, so that the counts and
// positions do not depend on where the pieces were cut.
#include "encoding_detect.h"

#include <cstdio>
#include <cstring>

namespace lumo::cli {
namespace {

constexpr Encoding kCandidates[] = {Encoding::kUtf8, Encoding::kShiftJis, Encoding::kEucJp,
                                    Encoding::kIso2022Jp};

int CandidateIndex(Encoding encoding) {
    for (int i = 0; i < 4; ++i) {
        if (kCandidates[i] == encoding) return i;
    }
    return 0;
}

// How far ahead the best candidate must be for a named encoding to be
// refused in its favour: UTF-8 and ISO-2022-JP are seldom formed by chance,
// Shift-JIS and EUC-JP often read as each other.
int64_t MarginOver(Encoding best) {
    return best == Encoding::kUtf8 || best == Encoding::kIso2022Jp ? 4 : 32;
}

std::string Place(const BytePlace &place) {
    return "line " + std::to_string(place.at.line) + ", column " + std::to_string(place.at.column);
}

std::string ByteText(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

bool Better(const EncodingFit &a, const EncodingFit &b) {
    if (a.Plausible() != b.Plausible()) return a.Plausible();
    return a.counts().Score() > b.counts().Score();
}

std::string ForceHint(Encoding as) {
    return std::string("--") + kForceEncodingOptionName + " to read it as " + EncodingName(as) + " anyway";
}

}  // namespace

int64_t FitCounts::Score() const {
    return 2 * static_cast<int64_t>(kana) + static_cast<int64_t>(common) - static_cast<int64_t>(unlikely) -
           4 * static_cast<int64_t>(strays);
}

void EncodingFit::Advance(unsigned char byte) {
    if (byte == '\n' && after_cr_) {
        after_cr_ = false;  // the LF of a CR LF: the line ended at the CR
        return;
    }
    after_cr_ = byte == '\r';
    if (byte == '\n' || byte == '\r') {
        ++position_.line;
        position_.column = 1;
    } else {
        ++position_.column;
    }
}

void EncodingFit::NoteStray(unsigned char byte) {
    ++counts_.strays;
    const BytePlace here{true, position_, byte};
    if (!first_stray_.found) first_stray_ = here;
    const size_t slot = static_cast<size_t>(counts_.strays % kClusterStrays);
    // The slot holds the stray byte kClusterStrays before this one.
    if (!misfit_.found && counts_.strays > kClusterStrays && units_ - cluster_[slot] < kClusterSpan) {
        misfit_ = cluster_place_[slot];
    }
    if (!misfit_.found && counts_.strays > kFreeStrays + counts_.Characters() / kCharactersPerStray) {
        misfit_ = here;
    }
    cluster_[slot] = units_;
    cluster_place_[slot] = here;
}

void EncodingFit::Count(ScannedChar c, const unsigned char *p) {
    if (c.kind != CharKind::kAscii && !first_evidence_.found) first_evidence_ = {true, position_, *p};
    switch (c.kind) {
    case CharKind::kAscii: Advance(*p); return;
    case CharKind::kShift: ++counts_.shifts; return;  // no column of its own
    case CharKind::kKana: ++counts_.kana; break;
    case CharKind::kCommon: ++counts_.common; break;
    case CharKind::kRare: ++counts_.rare; break;
    case CharKind::kUnlikely: ++counts_.unlikely; break;
    case CharKind::kStray: NoteStray(*p); break;
    case CharKind::kCut: break;
    }
    ++units_;
    after_cr_ = false;
    ++position_.column;
}

namespace {

// What a byte begins, for checking a decided text: ASCII, a character of
// that many bytes whose later bytes only need to be continuation bytes
// (Shift-JIS: any trail byte), or anything else, which the full walk
// decides (a stray byte, UTF-8 lead bytes whose second byte has a narrower
// range).
enum ByteRole : uint8_t { kPlain, kOne, kTwo, kThree, kFour, kOther };

struct RoleTable {
    ByteRole role[256];
};

constexpr RoleTable SjisRoles() {
    RoleTable t{};
    for (unsigned b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        t.role[b] = b < 0x80 ? kPlain : b >= 0xA1 && b <= 0xDF ? kOne : lead ? kTwo : kOther;
    }
    return t;
}

constexpr RoleTable Utf8Roles() {
    RoleTable t{};
    for (unsigned b = 0; b < 256; ++b) {
        t.role[b] = b < 0x80                               ? kPlain
                    : b >= 0xC2 && b <= 0xDF                ? kTwo
                    : b >= 0xE1 && b <= 0xEF && b != 0xED   ? kThree
                    : b >= 0xF1 && b <= 0xF3                ? kFour
                                                            : kOther;
    }
    return t;
}

constexpr RoleTable kSjisRoles = SjisRoles();

struct TrailTable {
    bool trail[256];
};

constexpr TrailTable SjisTrails() {
    TrailTable t{};
    for (unsigned b = 0x40; b <= 0xFC; ++b) t.trail[b] = b != 0x7F;
    return t;
}

constexpr TrailTable kSjisTrails = SjisTrails();
// What blocks leave is checked a character at a time this far at most,
// then blocks are tried again.
constexpr size_t kCharByChar = 256;
constexpr RoleTable kUtf8Roles = Utf8Roles();

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

// Checks the characters of a decided UTF-8 or Shift-JIS text from p on as
// long as they fit, whole before end: positions and the count of
// characters as the full walk keeps them. Returns the bytes taken; the full
// walk goes on from there. Runs of ASCII without control characters are
// passed eight bytes at a time; a line's column is worked out once, from
// where it began and the bytes of its characters past their first.
size_t EncodingFit::Check(const unsigned char *p, const unsigned char *end) {
    const bool sjis = encoding_ == Encoding::kShiftJis;
    size_t taken = 0;
    for (;;) {
        const BlockCounts blocks = CheckBlocks(sjis, p + taken, end, after_cr_);
        if (blocks.bytes > 0) {
            Settle(p + taken, blocks);
            taken += blocks.bytes;
        }
        if (p + taken == end) return taken;
        // What no block took, a character at a time as far as the next block.
        const unsigned char *stop =
            static_cast<size_t>(end - (p + taken)) > kCharByChar ? p + taken + kCharByChar : end;
        const size_t run = sjis ? CheckRun<true>(p + taken, stop) : CheckRun<false>(p + taken, stop);
        if (run == 0) return taken;
        taken += run;
    }
}

// Counts what blocks beginning at p took, as CheckRun counts its run.
void EncodingFit::Settle(const unsigned char *p, const BlockCounts &blocks) {
    position_.line += blocks.lines;
    if (blocks.line_ended) {
        position_.column = 1 + (blocks.bytes - blocks.line_start) - (blocks.extra - blocks.extra_at_line);
    } else {
        position_.column += blocks.bytes - blocks.extra;
    }
    after_cr_ = p[blocks.bytes - 1] == '\r';
    units_ += blocks.units;
    counts_.unsorted += blocks.units;
}

template <bool kSjis>
size_t EncodingFit::CheckRun(const unsigned char *p, const unsigned char *end) {
    const ByteRole *roles = kSjis ? kSjisRoles.role : kUtf8Roles.role;
    const unsigned char *const start = p;
    const unsigned char *line_start = nullptr;  // behind the last line end, if any
    size_t lines = 0;
    uint64_t units = 0;
    size_t extra = 0;          // bytes of characters past their first
    size_t extra_at_line = 0;  // extra at line_start
    constexpr uint64_t kHigh = 0x8080808080808080u;
    constexpr uint64_t kBelowControls = 0x0E0E0E0E0E0E0E0Eu;  // CR and LF are below 0x0E
    while (p < end) {
        // A run of ASCII, eight bytes at a time where none is a control.
        while (p < end && *p < 0x80) {
            const unsigned char b = *p;
            if (b < 0x0E && (b == '\r' || b == '\n')) {
                if (b == '\r' || !(p > start ? p[-1] == '\r' : after_cr_)) ++lines;
                line_start = p + 1;
                extra_at_line = extra;
            }
            ++p;
            for (uint64_t word; end - p >= 8; p += 8) {
                std::memcpy(&word, p, 8);
                if (((word | (word - kBelowControls)) & kHigh) != 0) break;
            }
        }
        // A run of characters beyond it.
        if (kSjis) {
            const unsigned char *const run = p;
            size_t twos = 0;
            while (end - p >= 2) {
                const ByteRole role = roles[*p];
                if (role == kTwo && kSjisTrails.trail[p[1]]) {
                    p += 2;
                    ++twos;
                } else if (role == kOne) {
                    ++p;
                } else {
                    break;
                }
            }
            if (p < end && roles[*p] == kOne) ++p;
            units += static_cast<size_t>(p - run) - twos;
            extra += twos;
        } else {
            while (p < end) {
                const ByteRole role = roles[*p];
                size_t length;
                if (role == kThree && end - p >= 3 && IsContinuation(p[1]) && IsContinuation(p[2])) {
                    length = 3;
                } else if (role == kTwo && end - p >= 2 && IsContinuation(p[1])) {
                    length = 2;
                } else if (role == kFour && end - p >= 4 && IsContinuation(p[1]) && IsContinuation(p[2]) &&
                           IsContinuation(p[3])) {
                    length = 4;
                } else {
                    break;
                }
                ++units;
                extra += length - 1;
                p += length;
            }
        }
        if (p < end && *p >= 0x80) break;  // the full walk decides
    }
    if (p == start) return 0;
    position_.line += lines;
    if (line_start != nullptr) {
        position_.column = 1 + static_cast<size_t>(p - line_start) - (extra - extra_at_line);
    } else {
        position_.column += static_cast<size_t>(p - start) - extra;
    }
    after_cr_ = p[-1] == '\r';
    units_ += units;
    counts_.unsorted += units;
    return static_cast<size_t>(p - start);
}

// Counts the characters of [p, end); returns the bytes taken, which stop
// short of a cut character unless at_end. Runs of ASCII, and the UTF-8 and
// Shift-JIS characters of ordinary text, take a short way: the validator
// walks every byte of a long input beside the formatter.
size_t EncodingFit::Walk(const unsigned char *p, const unsigned char *end, bool at_end) {
    const unsigned char *start = p;
    const bool check = checking_ && first_evidence_.found &&
                       (encoding_ == Encoding::kUtf8 || encoding_ == Encoding::kShiftJis);
    while (p < end) {
        if (check) {
            p += Check(p, end);
            if (p == end) break;
        }
        const unsigned char b = *p;
        if (b < 0x80 && (encoding_ != Encoding::kIso2022Jp || set_ == IsoSet::kAscii || set_ == IsoSet::kRoman)) {
            const unsigned char *run = p;
            while (p < end && *p < 0x80 && *p != '\n' && *p != '\r' && *p != 0x1B) ++p;
            if (p > run) {
                position_.column += static_cast<size_t>(p - run);
                after_cr_ = false;
                continue;
            }
            if (b != 0x1B || encoding_ != Encoding::kIso2022Jp) {
                Advance(*p++);
                continue;
            }
        }
        if (encoding_ == Encoding::kUtf8 && b >= 0xE1 && b <= 0xEF && b != 0xED) {
            // A run of three-byte characters, neither overlong nor
            // surrogates, counted in locals: kana are U+3040 to U+30FF.
            const unsigned char *run = p;
            size_t kana = 0;
            while (end - p >= 3) {
                const unsigned char lead = p[0], second = p[1];
                if (lead < 0xE1 || lead > 0xEF || lead == 0xED || (second & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) {
                    break;
                }
                kana += lead == 0xE3 && second >= 0x81 && second <= 0x83;
                p += 3;
            }
            const auto count = static_cast<size_t>(p - run) / 3;
            if (count > 0) {
                if (!first_evidence_.found) first_evidence_ = {true, position_, b};
                counts_.kana += kana;
                counts_.common += count - kana;
                units_ += count;
                position_.column += count;
                after_cr_ = false;
                continue;
            }
        }
        if (encoding_ == Encoding::kShiftJis && b >= 0x80) {
            uint64_t by_kind[8] = {};
            const size_t bytes = ScanShiftJisRun(p, end, by_kind);
            if (bytes > 0) {
                const auto kind = [&](CharKind k) { return by_kind[static_cast<size_t>(k)]; };
                const uint64_t count = kind(CharKind::kKana) + kind(CharKind::kCommon) + kind(CharKind::kRare) +
                                       kind(CharKind::kUnlikely);
                if (!first_evidence_.found) first_evidence_ = {true, position_, b};
                counts_.kana += kind(CharKind::kKana);
                counts_.common += kind(CharKind::kCommon);
                counts_.rare += kind(CharKind::kRare);
                counts_.unlikely += kind(CharKind::kUnlikely);
                units_ += count;
                position_.column += static_cast<size_t>(count);
                after_cr_ = false;
                p += bytes;
                continue;
            }
        }
        const ScannedChar c = ScanChar(encoding_, p, end, &set_);
        if (c.kind == CharKind::kCut && !at_end) break;
        Count(c, p);
        p += c.length;
    }
    return static_cast<size_t>(p - start);
}

void EncodingFit::Feed(std::string_view bytes) {
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    size_t from = 0;
    if (!carry_.empty()) {
        // The cut character with enough of the new bytes to finish it (a
        // character has at most four).
        const size_t old = carry_.size();
        carry_.append(bytes.substr(0, 8));
        const auto *joined = reinterpret_cast<const unsigned char *>(carry_.data());
        const size_t taken = Walk(joined, joined + carry_.size(), false);
        if (taken < old) return;  // still cut: fewer new bytes than it needs, all in the carry
        from = taken - old;
        carry_.clear();
    }
    from += Walk(data + from, data + bytes.size(), false);
    carry_.assign(bytes.substr(from));
}

void EncodingFit::Finish() {
    if (carry_.empty()) return;
    const auto *joined = reinterpret_cast<const unsigned char *>(carry_.data());
    Walk(joined, joined + carry_.size(), true);
    carry_.clear();
}

EncodingDetector::EncodingDetector()
    : fits_{EncodingFit(kCandidates[0]), EncodingFit(kCandidates[1]), EncodingFit(kCandidates[2]),
            EncodingFit(kCandidates[3])} {}

void EncodingDetector::Feed(std::string_view bytes) {
    for (const char c : bytes) evidence_ += IsEvidenceByte(static_cast<unsigned char>(c)) ? 1 : 0;
    for (EncodingFit &fit : fits_) fit.Feed(bytes);
}

void EncodingDetector::Finish() {
    for (EncodingFit &fit : fits_) fit.Finish();
}

bool EncodingDetector::HasEvidence() const {
    for (const EncodingFit &fit : fits_) {
        if (fit.first_evidence().found) return true;
    }
    return false;
}

const EncodingFit &EncodingDetector::Best() const {
    const EncodingFit *best = &fits_[0];
    for (const EncodingFit &fit : fits_) {
        if (Better(fit, *best)) best = &fit;
    }
    return *best;
}

const EncodingFit &EncodingDetector::Fit(Encoding encoding) const { return fits_[CandidateIndex(encoding)]; }

EncodingChoice ChooseEncoding(const EncodingDetector &detector, Encoding requested, bool force) {
    EncodingChoice choice;
    const EncodingFit &best = detector.Best();
    if (requested == Encoding::kAuto) {
        if (!detector.HasEvidence()) return choice;  // ASCII: any encoding reads it alike
        choice.encoding = best.encoding();
        if (best.Plausible() || force) return choice;
        // Where the nearest encoding stops fitting, or its first byte that
        // does not fit at all.
        const BytePlace &at = best.misfit().found ? best.misfit() : best.first_stray().found ? best.first_stray()
                                                                                             : best.first_evidence();
        choice.refused = true;
        choice.reason = Place(at) + ": byte " + ByteText(at.byte) +
                        " fits none of the encodings UTF-8, Shift-JIS, EUC-JP and ISO-2022-JP (the nearest is " +
                        EncodingName(best.encoding()) + "); name the encoding with --encoding and add --" +
                        kForceEncodingOptionName + " to keep such bytes as they are";
        return choice;
    }
    choice.encoding = requested;
    if (force) return choice;
    const EncodingFit &named = detector.Fit(requested);
    const bool other_fits = best.Plausible() && best.encoding() != requested;
    const std::string use = other_fits ? std::string("the text looks like ") + EncodingName(best.encoding()) +
                                             ": use --encoding " + EncodingOption(best.encoding())
                                       : std::string("use --encoding auto to find its encoding");
    if (!named.Acceptable()) {
        choice.refused = true;
        choice.reason = Place(named.misfit()) + ": byte " + ByteText(named.misfit().byte) + " is not " +
                        EncodingName(requested) + "; " + use + " (or " + ForceHint(requested) + ")";
        return choice;
    }
    const int64_t lead = best.counts().Score();
    const int64_t own = named.counts().Score();
    if (other_fits && lead >= MarginOver(best.encoding()) && own * 4 < lead) {
        choice.refused = true;
        choice.reason = Place(best.first_evidence()) + ": the text looks like " + EncodingName(best.encoding()) +
                        ", not " + EncodingName(requested) + ": use --encoding " + EncodingOption(best.encoding()) +
                        " (or " + ForceHint(requested) + ")";
    }
    return choice;
}

std::string LaterMisfitMessage(const EncodingFit &fit) {
    return Place(fit.misfit()) + ": byte " + ByteText(fit.misfit().byte) + " is not " +
           EncodingName(fit.encoding()) + ", as the text before it was; name its encoding with --encoding, or add --" +
           kForceEncodingOptionName + " to keep such bytes as they are";
}

}  // namespace lumo::cli
