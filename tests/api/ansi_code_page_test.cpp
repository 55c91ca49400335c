// The exports on a system whose ANSI code page is UTF-8, which the platform
// stands in for: LumoMultiLines, BindLines and the clipboard commands give
// exactly what the UTF-8 entries give on the same text and UTF-8 records,
// slot 0 and the presets written into slots are UTF-8 (checked against
// iconv's conversion of the presets written out by hand), and on any other
// code page the exports stay what they were.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/library_entries.h"
#include "lumotext.h"
#include "platform/clipboard.h"
#include "platform/lead_byte.h"
#include "settings/presets.h"
#include "settings/slots.h"
#include "support/temp_store.h"
#include "support/utf8_samples.h"

namespace {

using lumo::platform::GetClipboardText;
using lumo::platform::SetClipboardText;
using lumo_test::BindWith;
using lumo_test::FormatWith;
using lumo_test::PresetRecords;
using lumo_test::Utf8PresetRecords;

// The platform answers as a Windows with this ANSI code page while it lives.
class CodePage {
public:
    explicit CodePage(uint32_t code_page) { lumo::platform::SetAnsiCodePageStandIn(code_page); }
    ~CodePage() { lumo::platform::SetAnsiCodePageStandIn(0); }
    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;
};

// Every sample and twenty random texts.
std::vector<std::string> Texts() {
    std::vector<std::string> texts = lumo_test::Utf8SampleTexts();
    for (uint32_t seed = 1; seed <= 20; ++seed) texts.push_back(lumo_test::RandomUtf8Text(seed, 12));
    return texts;
}

PresetRecords Slot(int32_t slot, const char *vendor) {
    PresetRecords r;
    std::memset(&r, 0xBD, sizeof r);
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.display_width = 80;
    int32_t detail = -1;
    EXPECT_EQ(GetWholeSetting(&request, &r.indent, &r.fold, &r.header, slot, vendor, &detail), 0);
    return r;
}

TEST(Utf8CodePage, SlotZeroIsPresetTwoInUtf8) {
    const CodePage utf8(65001);
    EXPECT_TRUE(lumo_test::SameRecords(Slot(0, nullptr), Utf8PresetRecords(2, 70)));
    FormatRequest request{};
    request.display_width = 80;
    int32_t detail = -1;
    ASSERT_EQ(GetWholeSettingGL(&request, 0, nullptr, &detail), 0);
    const LumoRecords &global = lumo::Globals();
    EXPECT_TRUE(lumo_test::SameRecords({global.indent, global.fold, global.header}, Utf8PresetRecords(2, 70)));
}

TEST(Utf8CodePage, LumoMultiLinesAndBindLinesAreTheUtf8Entries) {
    const CodePage utf8(65001);
    for (int preset = 0; preset < 3; ++preset) {
        for (const uint32_t fold : {6u, 11u, 20u, 37u, 70u}) {
            const PresetRecords records = Utf8PresetRecords(preset, fold);
            for (const std::string &text : Texts()) {
                SCOPED_TRACE("preset " + std::to_string(preset) + ", fold " + std::to_string(fold) + ": " +
                             text.substr(0, 60));
                const lumo_test::Formatting expected = FormatWith(lumo_test::FormatUtf8, records, text);
                const lumo_test::Formatting got = FormatWith(LumoMultiLines, records, text);
                ASSERT_EQ(got.result, expected.result);
                ASSERT_EQ(got.text, expected.text);
                if (fold != 20 || got.result != FORMAT_DONE) continue;
                for (const std::string &block : lumo_test::Blocks(got.text)) {
                    const lumo_test::Binding bound = BindWith(BindLines, records.indent, block);
                    const lumo_test::Binding reference = BindWith(lumo_test::BindUtf8, records.indent, block);
                    ASSERT_EQ(bound.result, reference.result);
                    ASSERT_EQ(bound.text, reference.text);
                    EXPECT_EQ(bound.flags, reference.flags);
                    EXPECT_EQ(bound.prefix, reference.prefix);
                }
            }
        }
    }
}

TEST(Utf8CodePage, ClipboardCommandsFormatAndBindUtf8) {
    const CodePage utf8(65001);
    ASSERT_EQ(GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    SetLumoPropertyGL(0, 0, 24, 0);
    PresetRecords records = Utf8PresetRecords(2, 24);
    for (const std::string &text : Texts()) {
        SCOPED_TRACE(text.substr(0, 60));
        const lumo_test::Formatting expected = FormatWith(lumo_test::FormatUtf8, records, text);
        // A failed formatting leaves the clipboard's text as it was.
        const std::string formatted = expected.result == FORMAT_DONE ? expected.text : text;
        std::string on_clipboard;
        SetClipboardText(text);
        FormatRequest request{};
        request.record_size = FORMAT_REQUEST_SIZE;
        request.tab_width = 8;
        EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), expected.result);
        ASSERT_TRUE(GetClipboardText(&on_clipboard));
        EXPECT_EQ(on_clipboard, formatted);

        SetClipboardText(text);
        EXPECT_EQ(LumoClipBoardGLHM(8, 80), expected.result) << "the global records are UTF-8 too";
        ASSERT_TRUE(GetClipboardText(&on_clipboard));
        EXPECT_EQ(on_clipboard, formatted);

        SetClipboardText(formatted);
        EXPECT_EQ(BindClipBoardGLHM(), 0);
        ASSERT_TRUE(GetClipboardText(&on_clipboard));
        EXPECT_EQ(on_clipboard, BindWith(lumo_test::BindUtf8, records.indent, formatted).text);
    }
}

class Utf8CodePageStore : public lumo_test::TempStore {};

TEST_F(Utf8CodePageStore, PresetsAndTheDefaultTitleGoIntoSlotsInUtf8) {
    const CodePage utf8(65001);
    // 設定済み as iconv converts the code page 932 bytes.
    const std::string default_title = *lumo_test::Utf8Of(lumo::kDefaultSlotTitle);
    for (int preset = 0; preset < 3; ++preset) {
        const int32_t slot = 2 + preset;
        ASSERT_EQ(SetDefaultWholeSettingHM(slot, preset, nullptr, "Acme"), 0);
        EXPECT_TRUE(lumo_test::SameRecords(Slot(slot, "Acme"), Utf8PresetRecords(preset, 70))) << preset;
        std::string title;
        ASSERT_TRUE(lumo::ReadSlotTitle(slot, "Acme", &title));
        EXPECT_EQ(title, default_title);
    }
    // A title given by the host is its own, stored as it comes.
    ASSERT_EQ(SetDefaultWholeSettingHM(9, 1, "小説用 📚", "Acme"), 0);
    std::string title;
    ASSERT_TRUE(lumo::ReadSlotTitle(9, "Acme", &title));
    EXPECT_EQ(title, "小説用 📚");
    // Numbers that name no slot or no preset write nothing, as before.
    int32_t detail = -1;
    EXPECT_EQ(SetDefaultWholeSetting(1, 3, nullptr, "Acme", &detail), 1);
    EXPECT_EQ(detail, ERR_BAD_NUMBER);
    EXPECT_EQ(SetDefaultWholeSetting(11, 0, nullptr, "Acme", &detail), 1);
    EXPECT_FALSE(lumo::ReadSlotTitle(1, "Acme", &title));
}

// A single-byte code page keeps the code page 932 rules on the system's lead
// bytes, of which it has none: a UTF-8 text's bytes are characters of their
// own there, as before, and the presets stay code page 932 bytes.
TEST(OtherCodePages, KeepTheCodePage932Rules) {
    const std::string text = lumo_test::Utf8SampleTexts()[0];
    PresetRecords cp932{lumo_test::ExpectedIndentPreset(2), lumo_test::ExpectedFoldPreset(2),
                        lumo_test::ExpectedHeaderPreset(2)};
    for (const uint32_t code_page : {1252u, 932u}) {
        SCOPED_TRACE(code_page);
        const CodePage stand_in(code_page);
        cp932.fold.foldnum = 20;
        const lumo_test::Formatting classic = FormatWith(lumo::engine::MultiLines, cp932, text);
        ASSERT_EQ(classic.result, FORMAT_DONE);
        EXPECT_EQ(FormatWith(LumoMultiLines, cp932, text).text, classic.text);
        EXPECT_NE(FormatWith(lumo_test::FormatUtf8, Utf8PresetRecords(2, 20), text).text, classic.text)
            << "the text shows the difference";
        cp932.fold.foldnum = 70;
        EXPECT_TRUE(lumo_test::SameRecords(Slot(0, nullptr), cp932));
    }
}

// ---- Former bugs ------------------------------------------------------------

// Folding took a UTF-8 text for code page 932 bytes on a system whose ANSI
// code page is UTF-8 (no byte is a lead byte there), and cut characters in
// half at the fold column: lines began or ended with part of a character.
TEST(FormerBugs, Utf8TextOnAUtf8CodePageNeverLosesHalfACharacter) {
    const CodePage utf8(65001);
    int formatted = 0;
    for (int preset = 0; preset < 3; ++preset) {
        for (uint32_t fold = 3; fold <= 30; fold += 3) {
            const PresetRecords records = Utf8PresetRecords(preset, fold);
            for (const std::string &text : Texts()) {
                const lumo_test::Formatting got = FormatWith(LumoMultiLines, records, text);
                if (got.result == FORMAT_NO_COLUMN) continue;  // an indent as wide as the fold column
                ASSERT_EQ(got.result, FORMAT_DONE) << "preset " << preset << ", fold " << fold;
                ++formatted;
                const std::vector<std::string> broken = lumo_test::LinesThatAreNotUtf8(got.text);
                ASSERT_TRUE(broken.empty()) << "preset " << preset << ", fold " << fold << ": " << broken.front();
            }
        }
    }
    EXPECT_GT(formatted, 500);
}

}  // namespace
