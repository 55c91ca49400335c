// Deciding a text's encoding as it streams in, and checking the rest of it
// against the encoding decided. Each candidate encoding (UTF-8, Shift-JIS,
// EUC-JP, ISO-2022-JP) walks the same bytes with char_scan.h and counts how
// Japanese the characters it finds look and how many bytes fit it not at
// all. A few such stray bytes are allowed (a file cut by head -c, one odd
// byte); a cluster of them, or more than a few, is a misfit that the caller
// reports with its line and column before anything is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "block_check.h"
#include "char_scan.h"
#include "encoding.h"

namespace lumo::cli {

// What a candidate found so far; characters beyond ASCII only.
struct FitCounts {
    uint64_t kana = 0;
    uint64_t common = 0;
    uint64_t rare = 0;
    uint64_t unlikely = 0;
    uint64_t strays = 0;
    uint64_t shifts = 0;  // ISO-2022-JP escape sequences
    uint64_t unsorted = 0;  // counted while checking a decided encoding, of no kind

    uint64_t Characters() const { return kana + common + rare + unlikely + unsorted; }
    // How Japanese the text looks in this encoding: kana count twice,
    // common characters once, rare ones nothing, unlikely ones against it,
    // and each stray byte four times against it.
    int64_t Score() const;
};

// A byte, and where it stands in the text (line and column as the
// formatter counts them; the column counts characters of the encoding).
struct BytePlace {
    bool found = false;
    TextPosition at;
    unsigned char byte = 0;
};

// The tolerance for stray bytes: this many anywhere, one more for every
// kCharactersPerStray characters, and never more than kClusterStrays
// within kClusterSpan characters and stray bytes in a row.
constexpr uint64_t kFreeStrays = 8;
constexpr uint64_t kCharactersPerStray = 64;
constexpr int kClusterStrays = 4;
constexpr uint64_t kClusterSpan = 16;

// One encoding's walk through a text that arrives piece by piece.
class EncodingFit {
public:
    explicit EncodingFit(Encoding encoding) : encoding_(encoding) {}

    // The next bytes of the text. A character cut at their end waits for
    // the next call.
    void Feed(std::string_view bytes);
    // The end of the text: a character cut there is the text's cut end, not
    // held against the encoding.
    void Finish();

    Encoding encoding() const { return encoding_; }
    const FitCounts &counts() const { return counts_; }
    // Whether the stray bytes so far stay within the tolerance.
    bool Acceptable() const { return !misfit_.found; }
    // Acceptable, and its characters look Japanese more than not (or there
    // are none): what auto takes a text for.
    bool Plausible() const { return Acceptable() && (counts_.Score() >= 0 || counts_.Characters() == 0); }
    // The first stray byte of the first cluster, or the first one beyond
    // the allowance: where the text stops fitting.
    const BytePlace &misfit() const { return misfit_; }
    const BytePlace &first_stray() const { return first_stray_; }
    // The first character beyond ASCII (or escape sequence).
    const BytePlace &first_evidence() const { return first_evidence_; }

    // From now on the text is only checked: the characters that fit are
    // counted without their kinds (the stray bytes and the places stay
    // exact), a run of them at a time.
    void CheckOnly() { checking_ = true; }

private:
    size_t Walk(const unsigned char *p, const unsigned char *end, bool at_end);
    size_t Check(const unsigned char *p, const unsigned char *end);
    template <bool kSjis>
    size_t CheckRun(const unsigned char *p, const unsigned char *end);
    void Settle(const unsigned char *p, const BlockCounts &blocks);
    void Count(ScannedChar c, const unsigned char *p);
    void NoteStray(unsigned char byte);
    void Advance(unsigned char byte);

    Encoding encoding_;
    IsoSet set_ = IsoSet::kAscii;
    FitCounts counts_;
    TextPosition position_;  // of the next character
    bool after_cr_ = false;
    std::string carry_;      // a character cut at the end of the last piece
    bool checking_ = false;
    uint64_t units_ = 0;     // characters and stray bytes beyond ASCII
    uint64_t cluster_[kClusterStrays] = {};  // units_ of the last stray bytes, a ring
    BytePlace cluster_place_[kClusterStrays];
    BytePlace misfit_;
    BytePlace first_stray_;
    BytePlace first_evidence_;
};

// The candidates side by side, fed the same text until it has shown enough
// to decide: kEnoughEvidence bytes that are not ASCII, or its end.
class EncodingDetector {
public:
    EncodingDetector();

    void Feed(std::string_view bytes);
    void Finish();

    // Whether any byte beyond ASCII or any escape has been seen, and
    // whether enough of them to decide.
    bool HasEvidence() const;
    bool Enough() const { return evidence_ >= kEnoughEvidence; }

    // The best candidate: plausible ones before others, then by score,
    // then in the order UTF-8, Shift-JIS, EUC-JP, ISO-2022-JP.
    const EncodingFit &Best() const;
    const EncodingFit &Fit(Encoding encoding) const;
    // The candidate's walk, to go on checking the text with it once its
    // encoding is decided.
    EncodingFit Take(Encoding encoding) const {
        EncodingFit fit = Fit(encoding);
        fit.CheckOnly();
        return fit;
    }

    static constexpr uint64_t kEnoughEvidence = 1024;

private:
    EncodingFit fits_[4];
    uint64_t evidence_ = 0;
};

// What to read a text in, or why not.
struct EncodingChoice {
    Encoding encoding = Encoding::kAuto;  // kAuto: nothing tells (the text is ASCII)
    bool refused = false;
    std::string reason;  // when refused: "line 3, column 7: ..."
};

// Decides from what the detector saw. requested is --encoding; kAuto takes
// the best acceptable candidate, else the text is refused. A named encoding
// is refused when the text does not fit it, or when it plainly is another
// (UTF-8 text under sjis). force takes the best candidate, or the named
// encoding, whatever the text.
EncodingChoice ChooseEncoding(const EncodingDetector &detector, Encoding requested, bool force);

// The message for a text that stopped fitting encoding further on, the
// beginning having fitted: "line 30001, column 1: byte 0x82 is not UTF-8 ...".
std::string LaterMisfitMessage(const EncodingFit &fit);

// The option that lets the tool go on with a text that does not fit.
constexpr const char *kForceEncodingOptionName = "force-encoding";

}  // namespace lumo::cli
