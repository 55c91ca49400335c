// Loading a slot over fallback values (the slot editor's preset 2): every
// value that loads replaces its field, every value that does not keeps the
// fallback byte for byte, and a missing key or a bad slot number leaves the
// whole record as it was. Run against a real store, with reads made to fail
// through the store's fault hook.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lumotext.h"
#include "platform/registry.h"
#include "settings/presets.h"
#include "settings/slots.h"
#include "support/preset_records.h"
#include "support/temp_store.h"

namespace {

using lumo::platform::Access;
using lumo::platform::kRegSz;
using lumo::platform::RegistryKey;
using lumo::platform::SetStoreFaultHook;
using lumo::platform::StoreCall;

class SlotFallback : public lumo_test::TempStore {
protected:
    void TearDown() override {
        SetStoreFaultHook(nullptr, nullptr);
        lumo_test::TempStore::TearDown();
    }
    static std::string Group(int slot, const char *group) {
        return lumo::SlotKey(nullptr, slot) + "\\" + group;
    }

    // A fallback that no load could produce: every byte 0x41 ('A'), no NULs.
    template <typename Record>
    static Record Fallback() {
        Record record;
        std::memset(&record, 0x41, sizeof record);
        return record;
    }
};

// Fails the reads of the named values.
struct FailingReads {
    std::vector<std::string> names;
    static bool Hook(StoreCall call, const std::string &, const char *name, void *context) {
        if (call != StoreCall::kRead) return false;
        for (const std::string &failing : static_cast<FailingReads *>(context)->names) {
            if (failing == name) return true;
        }
        return false;
    }
};

TEST_F(SlotFallback, EachMissingValueKeepsItsFallback) {
    IndentSettings stored = lumo_test::ExpectedIndentPreset(1);
    std::strcpy(stored.indent_string[2], "two");
    std::strcpy(stored.indent_string[3], "three");
    ASSERT_EQ(lumo::SaveIndentSettings(stored, 3, nullptr), 0u);
    ASSERT_EQ(lumo::SavePresetFold(3, 0, nullptr), 0u);

    FailingReads failing{
        {"sub_styles", "chars_for_empha", "indent_string-3", "wraptype", "chars_not_for_head"}};
    SetStoreFaultHook(&FailingReads::Hook, &failing);

    IndentSettings indent = Fallback<IndentSettings>();
    EXPECT_EQ(lumo::LoadIndentSettingsOver(&indent, 3, nullptr), 0x004u | 0x020u | 0x200u);
    IndentSettings expected = stored;
    const IndentSettings fallback = Fallback<IndentSettings>();
    expected.sub_styles = fallback.sub_styles;
    std::memcpy(expected.chars_for_empha, fallback.chars_for_empha, LUMO_SET_BYTES);
    std::memcpy(expected.indent_string[3], fallback.indent_string[3], LUMO_INDENT_STRING_BYTES);
    EXPECT_EQ(std::memcmp(&indent, &expected, sizeof indent), 0);
    EXPECT_STREQ(indent.indent_string[2], "two") << "the other strings loaded";

    FoldSettings fold = Fallback<FoldSettings>();
    EXPECT_EQ(lumo::LoadFoldSettingsOver(&fold, 3, nullptr), 0x020u | 0x200u);
    FoldSettings expected_fold = lumo_test::ExpectedFoldPreset(0);
    const FoldSettings fold_fallback = Fallback<FoldSettings>();
    expected_fold.wraptype = fold_fallback.wraptype;
    std::memcpy(expected_fold.chars_not_for_head, fold_fallback.chars_not_for_head, LUMO_SET_BYTES);
    EXPECT_EQ(fold.foldnum, 0u) << "derived, never loaded";
    EXPECT_EQ(std::memcmp(&fold, &expected_fold, sizeof fold), 0);
}

// A value longer than its buffer fails; the registry may have written part
// of it, yet the field keeps its fallback whole.
TEST_F(SlotFallback, OversizedValueKeepsItsFallbackWhole) {
    ASSERT_EQ(lumo::SavePresetHeader(2, 2, nullptr), 0u);
    RegistryKey key = RegistryKey::Open(Group(2, "lumoheader"), Access::kAll);
    ASSERT_TRUE(key.valid());
    const std::string too_long(300, 'x');
    ASSERT_TRUE(key.Write("headerdelimiter", kRegSz, too_long.data(), 300));

    HeaderSettings header = Fallback<HeaderSettings>();
    EXPECT_EQ(lumo::LoadHeaderSettingsOver(&header, 2, nullptr), 0x004u);
    EXPECT_EQ(header.record_size, HEADER_SETTINGS_SIZE);
    EXPECT_EQ(header.lumoheader, 0x10002u);
    const HeaderSettings fallback = Fallback<HeaderSettings>();
    EXPECT_EQ(std::memcmp(header.headerdelimiter, fallback.headerdelimiter, LUMO_DELIMITER_BYTES), 0);
}

TEST_F(SlotFallback, MissingKeyOrBadSlotLeavesTheRecord) {
    ASSERT_EQ(lumo::SavePresetIndent(5, 1, nullptr), 0u);  // slot 5 has no "foldpos"
    struct Row {
        int slot;
        uint32_t mask;
    };
    for (const Row row : {Row{5, MASK_KEY}, Row{6, MASK_KEY}, Row{11, uint32_t{ERR_BAD_NUMBER}},
                          Row{-1, uint32_t{ERR_BAD_NUMBER}}}) {
        SCOPED_TRACE("slot " + std::to_string(row.slot));
        FoldSettings fold = Fallback<FoldSettings>();
        EXPECT_EQ(lumo::LoadFoldSettingsOver(&fold, row.slot, nullptr), row.mask);
        const FoldSettings fallback = Fallback<FoldSettings>();
        EXPECT_EQ(std::memcmp(&fold, &fallback, sizeof fold), 0);
    }
}

TEST_F(SlotFallback, SlotZeroIsPresetTwo) {
    IndentSettings indent = Fallback<IndentSettings>();
    EXPECT_EQ(lumo::LoadIndentSettingsOver(&indent, 0, nullptr), 0u);
    const IndentSettings preset = lumo_test::ExpectedIndentPreset(2);
    EXPECT_EQ(std::memcmp(&indent, &preset, sizeof indent), 0);
}

}  // namespace
