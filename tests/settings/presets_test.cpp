// Preset fills of the three settings records, checked field by field and byte
// by byte against the presets written out by hand, and the all-zero start of
// the library's global records.
#include "settings/presets.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/preset_records.h"
#include "support/sjis.h"

namespace {

using lumo_test::ExpectedFoldPreset;
using lumo_test::ExpectedHeaderPreset;
using lumo_test::ExpectedIndentPreset;
using lumo_test::FromHex;
using lumo_test::Hex;

constexpr unsigned char kFill = 0xBD;

// The field a byte offset falls in, so that a mismatch names what is wrong.
struct FieldSpan {
    const char *name;
    size_t offset;
    size_t size;
};

std::string FieldAt(const std::vector<FieldSpan> &fields, size_t offset) {
    for (const FieldSpan &f : fields) {
        if (offset >= f.offset && offset < f.offset + f.size) {
            return std::string(f.name) + " +" + std::to_string(offset - f.offset);
        }
    }
    return "(outside every field)";
}

const std::vector<FieldSpan> &IndentFields() {
    static const std::vector<FieldSpan> fields = {
        {"record_size", 0, 4},
        {"styles", 4, 4},
        {"sub_styles", 8, 4},
        {"fixed_indent_column", 12, 4},
        {"chars_for_quote", 16, 1024},
        {"chars_for_empha", 1040, 1024},
        {"chars_for_sole_itemize", 2064, 1024},
        {"chars_for_combi_itemize", 3088, 1024},
        {"chars_for_itemize_end", 4112, 1024},
        {"indent_string", 5136, 2560},
        {"indent_string_property", 7696, 40},
    };
    return fields;
}

const std::vector<FieldSpan> &FoldFields() {
    static const std::vector<FieldSpan> fields = {
        {"record_size", 0, 4},
        {"foldnum", 4, 4},
        {"foldnum_from_head", 8, 4},
        {"foldnum_from_tail", 12, 4},
        {"tailwrap_flag", 16, 4},
        {"wraptype", 20, 4},
        {"maxmove_leftwise", 24, 4},
        {"maxmove_rightwise", 28, 4},
        {"chars_not_for_tail", 32, 1024},
        {"chars_not_for_head", 1056, 1024},
        {"chars_for_wordwrap", 2080, 1024},
    };
    return fields;
}

const std::vector<FieldSpan> &HeaderFields() {
    static const std::vector<FieldSpan> fields = {
        {"record_size", 0, 4},
        {"lumoheader", 4, 4},
        {"headerdelimiter", 8, 256},
    };
    return fields;
}

// Compares two records byte for byte and names every field that differs
// (once per field, with the first differing byte).
::testing::AssertionResult SameBytes(const void *actual, const void *expected, size_t size,
                                     const std::vector<FieldSpan> &fields) {
    const auto *a = static_cast<const unsigned char *>(actual);
    const auto *e = static_cast<const unsigned char *>(expected);
    std::string report;
    std::string last_field;
    for (size_t i = 0; i < size; ++i) {
        if (a[i] == e[i]) {
            continue;
        }
        std::string field = FieldAt(fields, i);
        std::string field_name = field.substr(0, field.find(' '));
        if (field_name == last_field) {
            continue;
        }
        last_field = field_name;
        report += "\n  byte " + std::to_string(i) + " (" + field + "): got " +
                  Hex(std::string(1, static_cast<char>(a[i]))) + ", want " +
                  Hex(std::string(1, static_cast<char>(e[i])));
    }
    if (report.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "records differ:" << report;
}

::testing::AssertionResult AllZero(const void *record, size_t size,
                                   const std::vector<FieldSpan> &fields) {
    std::vector<unsigned char> zero(size, 0);
    return SameBytes(record, zero.data(), size, fields);
}

// A set field: its text up to the NUL, and nothing but NULs behind it.
::testing::AssertionResult SetIs(const char (&field)[LUMO_SET_BYTES], const char *hex,
                                 size_t length) {
    std::string want = FromHex(hex);
    if (want.size() != length) {
        return ::testing::AssertionFailure()
               << "vector error: hex has " << want.size() << " bytes, not " << length;
    }
    std::string got(field, strnlen(field, LUMO_SET_BYTES));
    if (got != want) {
        return ::testing::AssertionFailure() << "got " << got.size() << " bytes " << Hex(got)
                                             << "\n want " << want.size() << " bytes "
                                             << Hex(want);
    }
    for (size_t i = length; i < LUMO_SET_BYTES; ++i) {
        if (field[i] != '\0') {
            return ::testing::AssertionFailure() << "byte " << i << " behind the set is not 0";
        }
    }
    return ::testing::AssertionSuccess();
}

template <typename Record>
Record Filled() {
    Record r;
    std::memset(&r, kFill, sizeof r);
    return r;
}

// ---- Each preset, field by field -------------------------------------------

class PresetNumber : public ::testing::TestWithParam<int> {};

TEST_P(PresetNumber, IndentFieldsAreThePresetValues) {
    const int n = GetParam();
    const lumo_test::PresetScalars &want = lumo_test::kPresetScalars[n];
    auto r = Filled<IndentSettings>();
    ASSERT_EQ(lumo::FillIndentPreset(&r, n), 0);

    EXPECT_EQ(r.record_size, 7736u);
    EXPECT_EQ(r.styles, want.styles);
    EXPECT_EQ(r.sub_styles, want.sub_styles);
    EXPECT_EQ(r.fixed_indent_column, 0u);
    EXPECT_TRUE(SetIs(r.chars_for_quote, lumo_test::preset_sets::kQuoteHex, 6)) << "quote";
    EXPECT_TRUE(SetIs(r.chars_for_empha, lumo_test::preset_sets::kEmphaHex, 1)) << "empha";
    EXPECT_TRUE(SetIs(r.chars_for_sole_itemize, lumo_test::preset_sets::kSoleItemizeHex, 44))
        << "sole itemize";
    EXPECT_TRUE(SetIs(r.chars_for_combi_itemize, lumo_test::preset_sets::kCombiItemizeHex, 212))
        << "combi itemize";
    EXPECT_TRUE(SetIs(r.chars_for_itemize_end, lumo_test::preset_sets::kItemizeEndHex, 6))
        << "itemize end";
    for (int k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        SCOPED_TRACE("indent string " + std::to_string(k));
        for (size_t i = 0; i < LUMO_INDENT_STRING_BYTES; ++i) {
            ASSERT_EQ(r.indent_string[k][i], '\0') << "byte " << i;
        }
        EXPECT_EQ(r.indent_string_property[k], 0u);
    }

    IndentSettings want_record = ExpectedIndentPreset(n);
    EXPECT_TRUE(SameBytes(&r, &want_record, sizeof r, IndentFields()));
}

TEST_P(PresetNumber, FoldFieldsAreThePresetValues) {
    const int n = GetParam();
    const lumo_test::PresetScalars &want = lumo_test::kPresetScalars[n];
    auto r = Filled<FoldSettings>();
    ASSERT_EQ(lumo::FillFoldPreset(&r, n), 0);

    EXPECT_EQ(r.record_size, 3104u);
    EXPECT_EQ(r.foldnum, 0u) << "the fold column is derived later, never preset";
    EXPECT_EQ(r.foldnum_from_head, want.foldnum_from_head);
    EXPECT_EQ(r.foldnum_from_tail, want.foldnum_from_tail);
    EXPECT_EQ(r.tailwrap_flag, want.tailwrap_flag);
    EXPECT_EQ(r.wraptype, want.wraptype);
    EXPECT_EQ(r.maxmove_leftwise, want.maxmove_leftwise);
    EXPECT_EQ(r.maxmove_rightwise, want.maxmove_rightwise);
    EXPECT_TRUE(SetIs(r.chars_not_for_tail, lumo_test::preset_sets::kNotForTailHex, 36))
        << "not for tail";
    EXPECT_TRUE(SetIs(r.chars_not_for_head, lumo_test::preset_sets::kNotForHeadHex, 86))
        << "not for head";
    EXPECT_EQ(static_cast<unsigned char>(r.chars_not_for_head[0]), 0x20)
        << "a half-width space may not begin a line";
    EXPECT_TRUE(SetIs(r.chars_for_wordwrap, "", 0)) << "word wrap extras";

    FoldSettings want_record = ExpectedFoldPreset(n);
    EXPECT_TRUE(SameBytes(&r, &want_record, sizeof r, FoldFields()));
}

TEST_P(PresetNumber, HeaderFieldsAreThePresetValues) {
    const int n = GetParam();
    auto r = Filled<HeaderSettings>();
    ASSERT_EQ(lumo::FillHeaderPreset(&r, n), 0);

    EXPECT_EQ(r.record_size, 264u);
    EXPECT_EQ(r.lumoheader, lumo_test::kPresetScalars[n].lumoheader);
    for (size_t i = 0; i < LUMO_DELIMITER_BYTES; ++i) {
        ASSERT_EQ(r.headerdelimiter[i], '\0') << "delimiter byte " << i;
    }

    HeaderSettings want_record = ExpectedHeaderPreset(n);
    EXPECT_TRUE(SameBytes(&r, &want_record, sizeof r, HeaderFields()));
}

// A fill over a record that holds another preset leaves nothing of the old one.
TEST_P(PresetNumber, RefillOverAnotherPresetLeavesNoTrace) {
    const int n = GetParam();
    const int other = (n + 1) % 3;
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    ASSERT_EQ(lumo::FillIndentPreset(&indent, other), 0);
    ASSERT_EQ(lumo::FillFoldPreset(&fold, other), 0);
    ASSERT_EQ(lumo::FillHeaderPreset(&header, other), 0);
    indent.fixed_indent_column = 12;
    std::memcpy(indent.indent_string[9], "==", 3);
    indent.indent_string_property[9] = 1;
    fold.foldnum = 60;
    std::memcpy(fold.chars_for_wordwrap, "_", 2);
    std::memcpy(header.headerdelimiter, "--", 3);

    ASSERT_EQ(lumo::FillIndentPreset(&indent, n), 0);
    ASSERT_EQ(lumo::FillFoldPreset(&fold, n), 0);
    ASSERT_EQ(lumo::FillHeaderPreset(&header, n), 0);

    IndentSettings want_indent = ExpectedIndentPreset(n);
    FoldSettings want_fold = ExpectedFoldPreset(n);
    HeaderSettings want_header = ExpectedHeaderPreset(n);
    EXPECT_TRUE(SameBytes(&indent, &want_indent, sizeof indent, IndentFields()));
    EXPECT_TRUE(SameBytes(&fold, &want_fold, sizeof fold, FoldFields()));
    EXPECT_TRUE(SameBytes(&header, &want_header, sizeof header, HeaderFields()));
}

INSTANTIATE_TEST_SUITE_P(Presets, PresetNumber, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int> &param_info) {
                             return "Preset" + std::to_string(param_info.param);
                         });

// ---- How the presets differ --------------------------------------------------

TEST(PresetDifferences, QuotesAndEmphasisOnlyInPresetsOneAndTwo) {
    IndentSettings p0, p1, p2;
    ASSERT_EQ(lumo::FillIndentPreset(&p0, 0), 0);
    ASSERT_EQ(lumo::FillIndentPreset(&p1, 1), 0);
    ASSERT_EQ(lumo::FillIndentPreset(&p2, 2), 0);
    EXPECT_EQ(p0.styles & (STYLE_QUOTE | STYLE_EMPHA), 0u);
    EXPECT_EQ(p1.styles & (STYLE_QUOTE | STYLE_EMPHA), STYLE_QUOTE | STYLE_EMPHA);
    EXPECT_EQ(p2.styles & (STYLE_QUOTE | STYLE_EMPHA), STYLE_QUOTE | STYLE_EMPHA);
    EXPECT_EQ(p1.sub_styles & SUB_KEEP_QUOTED, SUB_KEEP_QUOTED) << "preset 1 keeps quoted lines";
    EXPECT_EQ(p2.sub_styles & SUB_KEEP_QUOTED, 0u);
    EXPECT_EQ(p0.sub_styles & SUB_KEEP_QUOTED, 0u);
}

TEST(PresetDifferences, HeaderPresetsZeroAndTwoAreIdentical) {
    auto h0 = Filled<HeaderSettings>();
    auto h1 = Filled<HeaderSettings>();
    auto h2 = Filled<HeaderSettings>();
    ASSERT_EQ(lumo::FillHeaderPreset(&h0, 0), 0);
    ASSERT_EQ(lumo::FillHeaderPreset(&h1, 1), 0);
    ASSERT_EQ(lumo::FillHeaderPreset(&h2, 2), 0);
    EXPECT_TRUE(SameBytes(&h0, &h2, sizeof h0, HeaderFields()));
    EXPECT_EQ(h0.lumoheader, HEADER_DELIM_EXACT | HEADER_DELIM_EMPTY_LINE);
    EXPECT_EQ(h1.lumoheader, HEADER_DELIM_EXACT | HEADER_DELIM_EMPTY_LINE | HEADER_NO_FORMAT);
}

TEST(PresetDifferences, EveryPresetCarriesTheSameCharacterSets) {
    IndentSettings indent[3];
    FoldSettings fold[3];
    for (int n = 0; n < 3; ++n) {
        ASSERT_EQ(lumo::FillIndentPreset(&indent[n], n), 0);
        ASSERT_EQ(lumo::FillFoldPreset(&fold[n], n), 0);
    }
    for (int n = 1; n < 3; ++n) {
        SCOPED_TRACE("preset " + std::to_string(n) + " against preset 0");
        const size_t sets_from = offsetof(IndentSettings, chars_for_quote);
        EXPECT_EQ(std::memcmp(reinterpret_cast<const char *>(&indent[n]) + sets_from,
                              reinterpret_cast<const char *>(&indent[0]) + sets_from,
                              sizeof(IndentSettings) - sets_from),
                  0);
        EXPECT_TRUE(SameBytes(&fold[n], &fold[0], sizeof(FoldSettings), FoldFields()));
    }
}

// ---- Bad preset numbers ------------------------------------------------------

class BadPresetNumber : public ::testing::TestWithParam<int32_t> {};

TEST_P(BadPresetNumber, IndentRecordIsAllZero) {
    auto r = Filled<IndentSettings>();
    EXPECT_EQ(lumo::FillIndentPreset(&r, GetParam()), 0x10000000);
    EXPECT_TRUE(AllZero(&r, sizeof r, IndentFields()));
}

TEST_P(BadPresetNumber, FoldRecordIsAllZero) {
    auto r = Filled<FoldSettings>();
    EXPECT_EQ(lumo::FillFoldPreset(&r, GetParam()), 0x10000000);
    EXPECT_TRUE(AllZero(&r, sizeof r, FoldFields()));
}

TEST_P(BadPresetNumber, HeaderRecordIsAllZero) {
    auto r = Filled<HeaderSettings>();
    EXPECT_EQ(lumo::FillHeaderPreset(&r, GetParam()), 0x10000000);
    EXPECT_TRUE(AllZero(&r, sizeof r, HeaderFields()));
}

INSTANTIATE_TEST_SUITE_P(OutsideZeroToTwo, BadPresetNumber,
                         ::testing::Values(-1, 3, 4, 10, INT32_MIN, INT32_MAX),
                         [](const ::testing::TestParamInfo<int32_t> &param_info) {
                             int32_t v = param_info.param;
                             if (v == INT32_MIN) return std::string("Int32Min");
                             if (v == INT32_MAX) return std::string("Int32Max");
                             return v < 0 ? "Minus" + std::to_string(-v) : std::to_string(v);
                         });

// ---- The global records ------------------------------------------------------

// Taken while the program starts, before any test can have filled the records.
struct GlobalsAtStart {
    GlobalsAtStart() {
        lumo::Records &g = lumo::Globals();
        std::memcpy(&indent, &g.indent, sizeof indent);
        std::memcpy(&fold, &g.fold, sizeof fold);
        std::memcpy(&header, &g.header, sizeof header);
    }
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};
const GlobalsAtStart kGlobalsAtStart;

TEST(GlobalRecords, StartAllZero) {
    EXPECT_TRUE(AllZero(&kGlobalsAtStart.indent, sizeof(IndentSettings), IndentFields()));
    EXPECT_TRUE(AllZero(&kGlobalsAtStart.fold, sizeof(FoldSettings), FoldFields()));
    EXPECT_TRUE(AllZero(&kGlobalsAtStart.header, sizeof(HeaderSettings), HeaderFields()));
    EXPECT_EQ(kGlobalsAtStart.fold.foldnum, 0u) << "formatting with them must be refused";
}

}  // namespace
