// Setting slots against a real store: the value layout (names, types, byte
// counts), masks and stage codes, presets written into slots, the fold column
// derived from the display width, and the default slot number.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "platform/registry.h"
#include "settings/presets.h"
#include "settings/slots.h"
#include "support/preset_records.h"
#include "support/temp_store.h"

namespace {

using lumo::platform::Access;
using lumo::platform::kRegDword;
using lumo::platform::kRegSz;
using lumo::platform::RegistryKey;

class Slots : public lumo_test::TempStore {
protected:
    // The type and byte count of one stored value, read behind the library's back.
    struct Stored {
        bool found;
        uint32_t type;
        uint32_t size;
        std::string bytes;
    };
    static Stored ReadRaw(const std::string &path, const char *name) {
        const RegistryKey key = RegistryKey::Open(path, Access::kRead);
        if (!key.valid()) return {false, 0, 0, {}};
        std::string buffer(8192, '\0');
        uint32_t size = static_cast<uint32_t>(buffer.size());
        uint32_t type = 0;
        if (!key.Read(name, buffer.data(), &size, &type)) return {false, 0, 0, {}};
        buffer.resize(size);
        return {true, type, size, buffer};
    }
    static std::string Group(int slot, const char *group, const char *vendor = nullptr) {
        return lumo::SlotKey(vendor, slot) + "\\" + group;
    }
};

TEST_F(Slots, KeyPaths) {
    EXPECT_EQ(lumo::ProductKey(nullptr), "Software\\Copperloom\\Lumotext");
    EXPECT_EQ(lumo::ProductKey(""), "Software\\Copperloom\\Lumotext");
    EXPECT_EQ(lumo::ProductKey("Acme"), "Software\\Acme\\Lumotext");
    EXPECT_EQ(lumo::SlotKey(nullptr, 10), "Software\\Copperloom\\Lumotext\\10");
    // Vendor strings of any length (no fixed buffers).
    const std::string long_vendor(5000, 'v');
    EXPECT_EQ(lumo::SlotKey(long_vendor.c_str(), 3), "Software\\" + long_vendor + "\\Lumotext\\3");
}

TEST_F(Slots, SlotZeroIsPresetTwoWithoutTheStore) {
    BreakStore();  // no store at all, yet slot 0 loads
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    EXPECT_EQ(lumo::LoadIndentSettings(&indent, 0, nullptr), 0u);
    EXPECT_EQ(lumo::LoadFoldSettings(&fold, 0, nullptr), 0u);
    EXPECT_EQ(lumo::LoadHeaderSettings(&header, 0, nullptr), 0u);
    const IndentSettings expected = lumo_test::ExpectedIndentPreset(2);
    EXPECT_EQ(std::memcmp(&indent, &expected, sizeof indent), 0);
}

TEST_F(Slots, BadSlotNumbers) {
    IndentSettings indent;
    std::memset(&indent, 0xBD, sizeof indent);
    for (int slot : {-1, 11, 12}) {
        EXPECT_EQ(lumo::LoadIndentSettings(&indent, slot, nullptr), uint32_t{ERR_BAD_NUMBER});
        EXPECT_EQ(static_cast<unsigned char>(indent.chars_for_quote[0]), 0xBDu) << "record touched";
    }
    for (int slot : {0, 11}) {
        EXPECT_EQ(lumo::SaveIndentSettings(indent, slot, nullptr), uint32_t{ERR_BAD_NUMBER});
        EXPECT_EQ(lumo::SavePresetFold(slot, 1, nullptr), uint32_t{ERR_BAD_NUMBER});
    }
    EXPECT_FALSE(RegistryKey::Open(lumo::ProductKey(nullptr), Access::kRead).valid()) << "something was written";
    EXPECT_EQ(lumo::SavePresetHeader(1, 3, nullptr), uint32_t{ERR_BAD_NUMBER});
    EXPECT_FALSE(RegistryKey::Open(lumo::SlotKey(nullptr, 1), Access::kRead).valid());
}

TEST_F(Slots, MissingGroupKeyGivesMaskOneAndZeroRecord) {
    IndentSettings indent;
    std::memset(&indent, 0xBD, sizeof indent);
    EXPECT_EQ(lumo::LoadIndentSettings(&indent, 5, nullptr), 1u);
    const IndentSettings zero{};
    EXPECT_EQ(std::memcmp(&indent, &zero, sizeof indent), 0) << "record_size included";
}

TEST_F(Slots, StoredLayout) {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    lumo::FillIndentPreset(&indent, 1);
    lumo::FillFoldPreset(&fold, 1);
    lumo::FillHeaderPreset(&header, 1);
    std::strcpy(indent.indent_string[3], "\x81\xa6");  // ※
    std::strcpy(header.headerdelimiter, "--");
    ASSERT_EQ(lumo::SaveIndentSettings(indent, 2, nullptr), 0u);
    ASSERT_EQ(lumo::SaveFoldSettings(fold, 2, nullptr), 0u);
    ASSERT_EQ(lumo::SaveHeaderSettings(header, 2, nullptr), 0u);

    struct Expect {
        const char *group;
        const char *name;
        uint32_t type;
        uint32_t size;
    };
    const Expect expected[] = {
        {"indent", "styles", kRegDword, 4},
        {"indent", "sub_styles", kRegDword, 4},
        {"indent", "fixed_indent_column", kRegDword, 4},
        {"indent", "chars_for_quote", kRegSz, 7},
        {"indent", "chars_for_empha", kRegSz, 2},
        {"indent", "chars_for_sole_itemize", kRegSz, 45},
        {"indent", "chars_for_combi_itemize", kRegSz, 213},
        {"indent", "chars_for_itemize_end", kRegSz, 7},
        {"indent", "indent_string-0", kRegSz, 1},
        {"indent", "indent_string-3", kRegSz, 3},
        {"indent", "indent_string-9", kRegSz, 1},
        {"indent", "indent_string_property-9", kRegDword, 4},
        {"foldpos", "foldnum_from_head", kRegDword, 4},
        {"foldpos", "foldnum_from_tail", kRegDword, 4},
        {"foldpos", "tailwrap_flag", kRegDword, 4},
        {"foldpos", "wraptype", kRegDword, 4},
        {"foldpos", "maxmove_leftwise", kRegDword, 4},
        {"foldpos", "maxmove_rightwise", kRegDword, 4},
        {"foldpos", "chars_not_for_tail", kRegSz, 1024},
        {"foldpos", "chars_not_for_head", kRegSz, 1024},
        {"foldpos", "chars_for_wordwrap", kRegSz, 1024},
        {"lumoheader", "lumoheader", kRegDword, 4},
        {"lumoheader", "headerdelimiter", kRegSz, 256},
    };
    for (const Expect &e : expected) {
        SCOPED_TRACE(std::string(e.group) + "/" + e.name);
        const Stored stored = ReadRaw(Group(2, e.group), e.name);
        ASSERT_TRUE(stored.found);
        EXPECT_EQ(stored.type, e.type);
        EXPECT_EQ(stored.size, e.size);
    }
    EXPECT_FALSE(ReadRaw(Group(2, "foldpos"), "foldnum").found) << "foldnum is never stored";
    EXPECT_EQ(ReadRaw(Group(2, "indent"), "styles").bytes, std::string("\xB7\x00\x00\x80", 4));
}

TEST_F(Slots, SaveLoadRoundTripAndFoldnumZero) {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    lumo::FillIndentPreset(&indent, 0);
    lumo::FillFoldPreset(&fold, 0);
    lumo::FillHeaderPreset(&header, 0);
    indent.fixed_indent_column = 12;
    indent.indent_string_property[7] = INDSTR_NEED_BLANK;
    std::strcpy(indent.indent_string[7], "NOTE:");
    fold.foldnum = 55;
    std::strcpy(fold.chars_for_wordwrap, "_'");
    ASSERT_EQ(lumo::SaveIndentSettings(indent, 10, "Acme"), 0u);
    ASSERT_EQ(lumo::SaveFoldSettings(fold, 10, "Acme"), 0u);
    ASSERT_EQ(lumo::SaveHeaderSettings(header, 10, "Acme"), 0u);

    IndentSettings indent2;
    FoldSettings fold2;
    HeaderSettings header2;
    ASSERT_EQ(lumo::LoadIndentSettings(&indent2, 10, "Acme"), 0u);
    ASSERT_EQ(lumo::LoadFoldSettings(&fold2, 10, "Acme"), 0u);
    ASSERT_EQ(lumo::LoadHeaderSettings(&header2, 10, "Acme"), 0u);
    EXPECT_EQ(std::memcmp(&indent, &indent2, sizeof indent), 0);
    EXPECT_EQ(fold2.foldnum, 0u);
    fold2.foldnum = 55;
    EXPECT_EQ(std::memcmp(&fold, &fold2, sizeof fold), 0);
    EXPECT_EQ(std::memcmp(&header, &header2, sizeof header), 0);
    // Another vendor's slot 10 is another slot.
    EXPECT_EQ(lumo::LoadIndentSettings(&indent2, 10, nullptr), 1u);
}

// A slot written value by value, leaving one value out: that value's bit,
// its field zero or empty, the rest loaded, record_size set.
TEST_F(Slots, MissingSingleValues) {
    struct Case {
        const char *missing;
        uint32_t mask;
    };
    const Case cases[] = {{"styles", 0x002}, {"chars_for_empha", 0x020}, {"indent_string-3", 0x200},
                          {"indent_string_property-8", 0x400}};
    IndentSettings preset;
    lumo::FillIndentPreset(&preset, 2);
    std::strcpy(preset.indent_string[3], "abc");
    int slot = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.missing);
        ASSERT_EQ(lumo::SaveIndentSettings(preset, slot, nullptr), 0u);
        // Copy every value but one into a fresh slot.
        const RegistryKey from = RegistryKey::Open(Group(slot, "indent"), Access::kRead);
        RegistryKey to = RegistryKey::Create(Group(slot + 5, "indent"));
        ASSERT_TRUE(from.valid() && to.valid());
        std::vector<std::string> names = {"styles", "sub_styles", "fixed_indent_column", "chars_for_quote",
                                          "chars_for_empha", "chars_for_sole_itemize",
                                          "chars_for_combi_itemize", "chars_for_itemize_end"};
        for (int k = 0; k < 10; ++k) {
            names.push_back("indent_string-" + std::to_string(k));
            names.push_back("indent_string_property-" + std::to_string(k));
        }
        for (const std::string &name : names) {
            if (name == c.missing) continue;
            std::string buffer(2048, '\0');
            uint32_t size = 2048, type = 0;
            ASSERT_TRUE(from.Read(name.c_str(), buffer.data(), &size, &type)) << name;
            ASSERT_TRUE(to.Write(name.c_str(), type, buffer.data(), size));
        }
        IndentSettings loaded;
        EXPECT_EQ(lumo::LoadIndentSettings(&loaded, slot + 5, nullptr), c.mask);
        EXPECT_EQ(loaded.record_size, 7736u);
        IndentSettings expected = preset;
        if (std::strcmp(c.missing, "styles") == 0) expected.styles = 0;
        if (std::strcmp(c.missing, "chars_for_empha") == 0) std::memset(expected.chars_for_empha, 0, LUMO_SET_BYTES);
        if (std::strcmp(c.missing, "indent_string-3") == 0) std::memset(expected.indent_string[3], 0, 256);
        EXPECT_EQ(std::memcmp(&loaded, &expected, sizeof loaded), 0);
        ++slot;
    }
}

// A value longer than its read buffer fails alone; a text that fills its
// buffer without a NUL still leaves the field terminated.
TEST_F(Slots, OversizedAndUnterminatedValues) {
    ASSERT_EQ(lumo::SavePresetFold(4, 2, nullptr), 0u);
    RegistryKey key = RegistryKey::Open(Group(4, "foldpos"), Access::kAll);
    ASSERT_TRUE(key.valid());
    const std::string too_long(1025, 'x');
    ASSERT_TRUE(key.Write("chars_for_wordwrap", kRegSz, too_long.data(), 1025));
    const std::string full(1024, 'y');
    ASSERT_TRUE(key.Write("chars_not_for_head", kRegSz, full.data(), 1024));
    const uint32_t eight_bytes[2] = {60, 0};
    ASSERT_TRUE(key.Write("foldnum_from_head", kRegDword, eight_bytes, 8));

    FoldSettings fold;
    EXPECT_EQ(lumo::LoadFoldSettings(&fold, 4, nullptr), 0x400u | 0x004u);
    EXPECT_EQ(fold.foldnum_from_head, 0u);
    EXPECT_EQ(fold.chars_for_wordwrap[0], '\0');
    EXPECT_EQ(strnlen(fold.chars_not_for_head, LUMO_SET_BYTES), 1023u) << "field left unterminated";
    EXPECT_EQ(fold.maxmove_leftwise, 20u);
}

TEST_F(Slots, SaveToAnUnusableStore) {
    BreakStore();
    IndentSettings indent;
    lumo::FillIndentPreset(&indent, 2);
    EXPECT_EQ(lumo::SaveIndentSettings(indent, 1, nullptr), 1u);
    EXPECT_EQ(lumo::LoadIndentSettings(&indent, 1, nullptr), 1u);
}

struct FoldColumnCase {
    uint32_t tailwrap_flag, from_head, from_tail, display_width;
    uint32_t foldnum;
    int32_t result;
};

TEST(DeriveFoldColumn, Vectors) {
    const FoldColumnCase cases[] = {
        {TAIL_FOLLOW_WIDTH, 70, 5, 80, 75, 0},
        {TAIL_FOLLOW_WIDTH, 70, 5, 6, 1, 0},
        {TAIL_FOLLOW_WIDTH, 70, 5, 5, 0, 1},  // no column left
        {TAIL_FOLLOW_WIDTH, 70, 5, 3, 0, 1},  // would wrap around to a huge column
        {TAIL_FOLLOW_WIDTH, 70, 0, 0, 0, 1},
        {TAIL_WORDWRAP, 70, 5, 3, 70, 0},
        {0, 0, 5, 80, 0, 1},
    };
    for (const FoldColumnCase &c : cases) {
        FoldSettings fold{};
        fold.tailwrap_flag = c.tailwrap_flag;
        fold.foldnum_from_head = c.from_head;
        fold.foldnum_from_tail = c.from_tail;
        fold.foldnum = 999;
        EXPECT_EQ(lumo::DeriveFoldColumn(&fold, c.display_width), c.result);
        EXPECT_EQ(fold.foldnum, c.foldnum) << "width " << c.display_width;
    }
}

TEST_F(Slots, GetWholeSettingStages) {
    FormatRequest request{24, nullptr, nullptr, 0, 8, 80};
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    int32_t detail = -1;
    EXPECT_EQ(GetWholeSetting(&request, &indent, &fold, &header, 0, nullptr, &detail), 0);
    EXPECT_EQ(detail, 0);
    EXPECT_EQ(fold.foldnum, 70u);

    EXPECT_EQ(GetWholeSetting(&request, &indent, &fold, &header, 12, nullptr, &detail), 1);
    EXPECT_EQ(detail, ERR_BAD_NUMBER);
    EXPECT_EQ(GetWholeSetting(&request, &indent, &fold, &header, 3, nullptr, &detail), 1);
    EXPECT_EQ(detail, 1);

    // Fold follows the display width.
    ASSERT_EQ(lumo::SavePresetIndent(3, 2, nullptr), 0u);
    FoldSettings follow;
    lumo::FillFoldPreset(&follow, 2);
    follow.tailwrap_flag |= TAIL_FOLLOW_WIDTH;
    ASSERT_EQ(lumo::SaveFoldSettings(follow, 3, nullptr), 0u);
    std::memset(&header, 0xBD, sizeof header);
    EXPECT_EQ(GetWholeSetting(&request, &indent, &fold, &header, 3, nullptr, &detail), 4) << "no header yet";
    EXPECT_EQ(detail, 1);
    EXPECT_EQ(fold.foldnum, 75u);
    request.display_width = 5;
    std::memset(&header, 0xBD, sizeof header);
    EXPECT_EQ(GetWholeSetting(&request, &indent, &fold, &header, 3, nullptr, &detail), 2);
    EXPECT_EQ(detail, 0);
    EXPECT_EQ(fold.foldnum, 0u);
    EXPECT_EQ(static_cast<unsigned char>(header.headerdelimiter[0]), 0xBDu) << "later stage ran";
    request.display_width = 3;
    EXPECT_EQ(GetWholeSetting(&request, &indent, &fold, &header, 3, nullptr, &detail), 2);
    EXPECT_EQ(fold.foldnum, 0u);
    // The global form fills the library's own records.
    request.display_width = 80;
    ASSERT_EQ(lumo::SavePresetHeader(3, 2, nullptr), 0u);
    EXPECT_EQ(GetWholeSettingGL(&request, 3, nullptr, &detail), 0);
    EXPECT_EQ(lumo::Globals().fold.foldnum, 75u);
    EXPECT_EQ(lumo::Globals().indent.record_size, 7736u);
}

TEST_F(Slots, SetDefaultWholeSetting) {
    int32_t detail = -1;
    EXPECT_EQ(SetDefaultWholeSetting(4, 1, nullptr, nullptr, &detail), 0);
    EXPECT_EQ(detail, 0);
    const Stored title = ReadRaw(lumo::SlotKey(nullptr, 4), "Title");
    ASSERT_TRUE(title.found);
    EXPECT_EQ(title.type, kRegSz);
    EXPECT_EQ(title.bytes, std::string("\x90\xdd\x92\xe8\x8d\xcf\x82\xdd", 9));  // 設定済み
    IndentSettings indent;
    ASSERT_EQ(lumo::LoadIndentSettings(&indent, 4, nullptr), 0u);
    EXPECT_EQ(indent.sub_styles, 0xC000004Eu);

    EXPECT_EQ(SetDefaultWholeSetting(5, 2, "", nullptr, &detail), 0);
    EXPECT_EQ(ReadRaw(lumo::SlotKey(nullptr, 5), "Title").size, 9u);
    EXPECT_EQ(SetDefaultWholeSetting(6, 0, "My slot", "Acme", &detail), 0);
    EXPECT_EQ(ReadRaw(lumo::SlotKey("Acme", 6), "Title").bytes, std::string("My slot", 8));
    const std::string long_title(3000, 't');
    EXPECT_EQ(SetDefaultWholeSetting(6, 0, long_title.c_str(), "Acme", &detail), 0);
    EXPECT_EQ(ReadRaw(lumo::SlotKey("Acme", 6), "Title").size, 3001u);

    EXPECT_EQ(SetDefaultWholeSetting(7, 3, nullptr, nullptr, &detail), 1);
    EXPECT_EQ(detail, ERR_BAD_NUMBER);
    EXPECT_FALSE(RegistryKey::Open(lumo::SlotKey(nullptr, 7), Access::kRead).valid());
    EXPECT_EQ(SetDefaultWholeSetting(11, 0, nullptr, nullptr, &detail), 1);
    EXPECT_EQ(detail, ERR_BAD_NUMBER);

    BreakStore();
    EXPECT_EQ(SetDefaultWholeSetting(4, 1, nullptr, nullptr, &detail), 1);
    EXPECT_EQ(detail, 1);
}

TEST_F(Slots, DefaultNumber) {
    EXPECT_EQ(GetDefaultNumber(nullptr), 0);
    EXPECT_EQ(SetDefaultNumber(7, nullptr), 0);
    EXPECT_EQ(GetDefaultNumber(nullptr), 7);
    EXPECT_EQ(GetDefaultNumber(""), 7);
    EXPECT_EQ(GetDefaultNumber("Acme"), 0);
    EXPECT_EQ(SetDefaultNumber(0, nullptr), 1);
    EXPECT_EQ(SetDefaultNumber(11, nullptr), 1);
    EXPECT_EQ(GetDefaultNumber(nullptr), 7);
    const Stored stored = ReadRaw(lumo::ProductKey(nullptr), "DefaultNumber");
    EXPECT_EQ(stored.type, kRegDword);
    EXPECT_EQ(stored.size, 4u);

    RegistryKey key = RegistryKey::Create(lumo::ProductKey(nullptr));
    const int32_t twenty_five = 25;
    ASSERT_TRUE(key.Write("DefaultNumber", kRegDword, &twenty_five, 4));
    EXPECT_EQ(GetDefaultNumber(nullptr), 25);
    ASSERT_TRUE(key.Write("DefaultNumber", kRegSz, "12345", 6));
    EXPECT_EQ(GetDefaultNumber(nullptr), 0);

    BreakStore();
    EXPECT_EQ(SetDefaultNumber(3, nullptr), 2) << "nothing stored is not success";
    EXPECT_EQ(GetDefaultNumber(nullptr), 0);
}

}  // namespace
