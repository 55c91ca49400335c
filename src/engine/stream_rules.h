// What every line of one stream is folded with, decided once before its
// first line: the records in the text's encoding, and for UTF-8 text the
// alphabet that spells its lines for the rules, and the character sets as
// tables. Read-only once made, so the workers of a stream share it.
#pragma once

#include <cstdint>
#include <memory>

#include "format/find_break.h"
#include "format/jlreq_break.h"
#include "format/line_end_rules.h"
#include "paragraph/classify.h"
#include "settings/records.h"
#include "text/alphabet.h"
#include "text/text.h"
#include "text/unicode_data.h"

namespace lumo::engine {

enum class Encoding { kCp932, kUtf8 };

// Which line-break rules fold: the classic ones of the Windows-era entries,
// or the Japanese line-break rules at one of CSS Text 3's levels.
enum class Rules { kClassic, kStrict, kNormal, kLoose };

// Whose lead bytes code page 932 text is read with.
enum class LeadBytes {
    kSystem,  // the ANSI code page's, as the Windows-era entries always have
    kCp932,   // code page 932's own, whatever the system's code page
};

struct RulesSetup {
    Records records;  // in the text's encoding
    Encoding encoding = Encoding::kUtf8;
    text::Ambiguous ambiguous = text::Ambiguous::kCp932;
    uint32_t tab_width = 8;
    LeadBytes lead_bytes = LeadBytes::kCp932;
    Rules rules = Rules::kClassic;
    bool hang = false;  // the Japanese rules let 、。，．｡､ hang past the fold column
};

class StreamRules {
public:
    // nullptr when memory (or the Unicode tables) could not be had.
    static std::unique_ptr<const StreamRules> Make(const RulesSetup &setup);

    FoldContext Context() const { return FoldContext{cp, tab_width, records.fold, fold_tables}; }

    Encoding encoding;
    Rules rules;
    jlreq::BreakRules break_rules;  // with rules other than kClassic
    CodePage cp;
    uint32_t tab_width;
    // Terminated copies; for UTF-8 text the indent and fold records are spelt
    // in the alphabet, and the header record stays as it is (the header
    // block is found by comparing bytes).
    Records records;
    std::unique_ptr<text::Alphabet> alphabet;  // UTF-8 text only
    FoldTables fold_tables;
    ClassifyTables classify_tables;

private:
    StreamRules(const RulesSetup &setup, const Records &spelt, std::unique_ptr<text::Alphabet> alphabet);
};

}  // namespace lumo::engine
