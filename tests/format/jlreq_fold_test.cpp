// The Japanese rules' segment loop decides a plain segment by reading the
// characters at the fold column where they lie, and leaves every other one
// to the search over units. Both roads must cut every line alike: random
// lines are folded with the short road on and off, whole and window by window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "format/jlreq_fold.h"
#include "format/line_end_rules.h"
#include "support/fold_settings.h"
#include "support/jlreq_random_text.h"
#include "text/unicode_data.h"

namespace {

using lumo::FoldResult;

// The code page 932 bytes of the characters of utf8 that it has.
std::string Sjis(const std::string &utf8) {
    std::string out;
    for (const uint32_t cp : lumo_test::CodePoints(utf8)) {
        const uint16_t code = cp < 0x80 ? static_cast<uint16_t>(cp) : lumo::text::Cp932Code(cp);
        if (code == 0 && cp != 0) continue;
        if (code > 0xFF) out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

// line folded at fold with window-sized pieces (0: whole).
std::string Fold(const std::string &line, uint32_t fold, const lumo::jlreq::BreakRules &rules, bool quick,
                 size_t window, size_t prefix) {
    const lumo_fold::Fold settings(fold);
    const lumo::CodePage cp = lumo::CodePage::Cp932();
    const lumo::FoldTables tables(cp, settings);
    const lumo::FoldContext context{cp, rules.tab_width, settings, tables};
    lumo::JlreqCodes codes(tables, false, true);
    lumo::JlreqContext jlreq{context, rules, codes};
    jlreq.quick = quick;
    lumo::LineFold state;
    const std::string spaces(prefix, ' ');  // the continuation prefix, and the first segment's label
    state.prefix = spaces.c_str();
    state.prefix_bytes = state.prefix_columns = prefix;
    lumo::JlreqLine search;
    lumo::ByteBuffer out;
    // As the engine does, unsettled bytes wait for the next piece.
    const std::string text = line + "\n";
    std::string pending;
    size_t pos = 0;
    while (true) {
        const size_t take = window == 0 ? text.size() - pos : std::min(window, text.size() - pos);
        pending.append(text, pos, take);
        pos += take;
        const bool complete = pos == text.size();
        const lumo::LineView view{pending.c_str(), pending.size(), nullptr, nullptr};
        size_t consumed = 0;
        const FoldResult result = lumo::FoldSegmentsJlreq(jlreq, view, complete, &state, &search, &out, &consumed);
        if (result == FoldResult::kDone) break;
        EXPECT_EQ(result, FoldResult::kMore);
        if (result != FoldResult::kMore) break;
        pending.erase(0, consumed);
    }
    std::string folded(out.data(), out.size());
    out.Free();
    return folded;
}

TEST(JlreqFold, ThePlainSegmentRoadCutsAsTheSearch) {
    lumo_test::RandomJapaneseLine random(20261208);
    const lumo::jlreq::Level levels[] = {lumo::jlreq::Level::kStrict, lumo::jlreq::Level::kNormal,
                                         lumo::jlreq::Level::kLoose};
    for (int round = 0; round < 3000 && !::testing::Test::HasFailure(); ++round) {
        const std::string line = Sjis(random.Make(20 + random.Below(300)));
        lumo::jlreq::BreakRules rules;
        rules.level = levels[random.Below(3)];
        rules.hang = random.Below(2) == 0;
        rules.tab_width = random.Below(4) == 0 ? 0 : 8;
        const uint32_t fold = 2 + random.Below(90);
        const size_t prefix = random.Below(3) == 0 ? random.Below(fold) : 0;
        const std::string expected = Fold(line, fold, rules, false, 0, prefix);
        ASSERT_EQ(Fold(line, fold, rules, true, 0, prefix), expected) << "fold " << fold << ": " << line;
        const size_t window = 64 + random.Below(200);
        ASSERT_EQ(Fold(line, fold, rules, false, window, prefix), expected) << "fold " << fold << " window " << window;
        ASSERT_EQ(Fold(line, fold, rules, true, window, prefix), expected) << "fold " << fold << " window " << window;
    }
}

}  // namespace
