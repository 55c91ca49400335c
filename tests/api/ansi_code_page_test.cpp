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
#include "support/preset_records.h"
#include "support/temp_store.h"
#include "support/utf8.h"
#include "support/utf8_texts.h"
#include "text/text.h"

namespace {

using lumo::platform::GetClipboardText;
using lumo::platform::SetClipboardText;

// The platform answers as a Windows with this ANSI code page while it lives.
class CodePage {
public:
    explicit CodePage(uint32_t code_page) { lumo::platform::SetAnsiCodePageStandIn(code_page); }
    ~CodePage() { lumo::platform::SetAnsiCodePageStandIn(0); }
    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;
};

struct Records {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};

bool operator==(const Records &a, const Records &b) {
    return std::memcmp(&a.indent, &b.indent, sizeof a.indent) == 0 &&
           std::memcmp(&a.fold, &b.fold, sizeof a.fold) == 0 &&
           std::memcmp(&a.header, &b.header, sizeof a.header) == 0;
}

// Preset n written out by hand, its sets converted to UTF-8 by iconv.
Records Utf8Preset(int preset, uint32_t foldnum) {
    Records r{lumo_test::ExpectedIndentPreset(preset), lumo_test::ExpectedFoldPreset(preset),
              lumo_test::ExpectedHeaderPreset(preset)};
    EXPECT_TRUE(lumo_test::ConvertRecord(&r.indent) && lumo_test::ConvertRecord(&r.fold) &&
                lumo_test::ConvertRecord(&r.header));
    r.fold.foldnum = foldnum;
    return r;
}

FormatRequest Request(const std::string &text, std::vector<char> *output) {
    output->assign(text.size() * 8 + 256, '\xBD');
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = 8;
    request.display_width = 80;
    request.source = text.c_str();
    request.output = output->data();
    request.capacity = static_cast<uint32_t>(output->size());
    return request;
}

struct Formatting {
    int32_t result;
    std::string text;
    uint32_t fixed_column;  // what the call left in the indent record
};

Formatting ThroughExport(Records r, const std::string &text) {
    std::vector<char> output;
    FormatRequest request = Request(text, &output);
    const int32_t result = LumoMultiLines(&request, &r.indent, &r.fold, &r.header);
    return {result, output.data(), r.indent.fixed_indent_column};
}

Formatting ThroughUtf8Entry(Records r, const std::string &text) {
    std::vector<char> output;
    FormatRequest request = Request(text, &output);
    const int32_t result = lumo_test::FormatUtf8(&request, &r.indent, &r.fold, &r.header);
    return {result, output.data(), r.indent.fixed_indent_column};
}

struct Binding {
    int32_t result;
    std::string text;
    uint32_t flags;
    std::string prefix;
};

template <typename Bind>
Binding BindWith(Bind bind, IndentSettings indent, const std::string &text) {
    std::vector<char> output(text.size() + 1, '\xBD');
    LineJob job{LINE_JOB_SIZE, text.c_str(), output.data(), static_cast<uint32_t>(output.size()),
                lumo::NewlineKindOf(text.c_str()), 0, {}};
    const int32_t result = bind(&job, &indent);
    return {result, output.data(), job.flags, std::string(job.prefix, strnlen(job.prefix, sizeof job.prefix))};
}

// Every sample and twenty random texts.
std::vector<std::string> Texts() {
    std::vector<std::string> texts = lumo_test::Utf8SampleTexts();
    for (uint32_t seed = 1; seed <= 20; ++seed) texts.push_back(lumo_test::RandomUtf8Text(seed, 12));
    return texts;
}

constexpr uint32_t kFolds[] = {6, 11, 20, 37, 70};

TEST(Utf8CodePage, StandsInForTheSystem) {
    EXPECT_EQ(lumo::platform::AnsiCodePage(), 932u);
    EXPECT_TRUE(lumo::platform::IsLeadByte(0x81));
    {
        const CodePage utf8(65001);
        EXPECT_EQ(lumo::platform::AnsiCodePage(), 65001u);
        for (int byte = 0; byte < 256; ++byte) EXPECT_FALSE(lumo::platform::IsLeadByte(static_cast<unsigned char>(byte)));
    }
    EXPECT_EQ(lumo::platform::AnsiCodePage(), 932u);
}

TEST(Utf8CodePage, SlotZeroIsPresetTwoInUtf8) {
    const CodePage utf8(65001);
    Records r;
    std::memset(&r, 0xBD, sizeof r);
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.display_width = 80;
    int32_t detail = -1;
    ASSERT_EQ(GetWholeSetting(&request, &r.indent, &r.fold, &r.header, 0, nullptr, &detail), 0);
    EXPECT_EQ(detail, 0);
    EXPECT_TRUE(r == Utf8Preset(2, 70));

    ASSERT_EQ(GetWholeSettingGL(&request, 0, nullptr, &detail), 0);
    const LumoRecords &global = lumo::Globals();
    EXPECT_TRUE((Records{global.indent, global.fold, global.header}) == Utf8Preset(2, 70));
}

TEST(Utf8CodePage, LumoMultiLinesIsTheUtf8Entry) {
    const CodePage utf8(65001);
    for (int preset = 0; preset < 3; ++preset) {
        for (const uint32_t fold : kFolds) {
            const Records records = Utf8Preset(preset, fold);
            for (const std::string &text : Texts()) {
                SCOPED_TRACE("preset " + std::to_string(preset) + ", fold " + std::to_string(fold) + ": " +
                             text.substr(0, 60));
                const Formatting expected = ThroughUtf8Entry(records, text);
                const Formatting got = ThroughExport(records, text);
                ASSERT_EQ(got.result, expected.result);
                ASSERT_EQ(got.text, expected.text);
                EXPECT_EQ(got.fixed_column, expected.fixed_column);
                EXPECT_TRUE(lumo_test::LinesThatAreNotUtf8(got.text).empty());
            }
        }
    }
}

TEST(Utf8CodePage, BindLinesIsTheUtf8Entry) {
    const CodePage utf8(65001);
    for (int preset = 0; preset < 3; ++preset) {
        const Records records = Utf8Preset(preset, 20);
        for (const std::string &text : Texts()) {
            const Formatting folded = ThroughUtf8Entry(records, text);
            if (folded.result != FORMAT_DONE) continue;  // an indent as wide as the fold column
            // Each folded line on its own and the whole text as one block.
            std::vector<std::string> blocks = {folded.text};
            for (size_t at = 0; at < folded.text.size();) {
                const size_t end = folded.text.find('\n', at);
                const size_t stop = end == std::string::npos ? folded.text.size() : end + 1;
                blocks.push_back(folded.text.substr(at, stop - at));
                at = stop;
            }
            for (const std::string &block : blocks) {
                SCOPED_TRACE("preset " + std::to_string(preset) + ": " + block.substr(0, 60));
                const Binding expected = BindWith(lumo_test::BindUtf8, records.indent, block);
                const Binding got = BindWith(BindLines, records.indent, block);
                ASSERT_EQ(got.result, expected.result);
                ASSERT_EQ(got.text, expected.text);
                EXPECT_EQ(got.flags, expected.flags);
                EXPECT_EQ(got.prefix, expected.prefix);
                EXPECT_TRUE(lumo_test::LinesThatAreNotUtf8(got.text).empty());
            }
        }
    }
}

TEST(Utf8CodePage, ClipboardCommandsFormatAndBindUtf8) {
    const CodePage utf8(65001);
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.display_width = 80;
    int32_t detail = 0;
    ASSERT_EQ(GetWholeSettingGL(&request, 0, nullptr, &detail), 0);
    SetLumoPropertyGL(0, 0, 24, 0);
    Records records = Utf8Preset(2, 24);
    for (const std::string &text : Texts()) {
        SCOPED_TRACE(text.substr(0, 60));
        const Formatting expected = ThroughUtf8Entry(records, text);
        // A failed formatting leaves the clipboard's text as it was.
        const std::string formatted = expected.result == FORMAT_DONE ? expected.text : text;
        SetClipboardText(text);
        FormatRequest clip{};
        clip.record_size = FORMAT_REQUEST_SIZE;
        clip.tab_width = 8;
        EXPECT_EQ(LumoClipBoard(&clip, &records.indent, &records.fold, &records.header), expected.result);
        std::string on_clipboard;
        ASSERT_TRUE(GetClipboardText(&on_clipboard));
        EXPECT_EQ(on_clipboard, formatted);

        SetClipboardText(text);
        EXPECT_EQ(LumoClipBoardGLHM(8, 80), expected.result);
        ASSERT_TRUE(GetClipboardText(&on_clipboard));
        EXPECT_EQ(on_clipboard, formatted) << "the global records are UTF-8 too";

        SetClipboardText(formatted);
        EXPECT_EQ(BindClipBoardGLHM(), 0);
        ASSERT_TRUE(GetClipboardText(&on_clipboard));
        EXPECT_EQ(on_clipboard, BindWith(lumo_test::BindUtf8, records.indent, formatted).text);
    }
}

// 設定済み as a UTF-8 system stores it, from the code page 932 bytes by iconv.
std::string Utf8DefaultTitle() { return *lumo_test::Utf8Of(lumo::kDefaultSlotTitle); }

class Utf8CodePageStore : public lumo_test::TempStore {};

TEST_F(Utf8CodePageStore, PresetsGoIntoSlotsInUtf8) {
    const CodePage utf8(65001);
    for (int preset = 0; preset < 3; ++preset) {
        const int32_t slot = 2 + preset;
        int32_t detail = -1;
        ASSERT_EQ(SetDefaultWholeSetting(slot, preset, nullptr, "Acme", &detail), 0);
        EXPECT_EQ(detail, 0);
        Records loaded;
        FormatRequest request{};
        request.record_size = FORMAT_REQUEST_SIZE;
        request.display_width = 80;
        ASSERT_EQ(GetWholeSetting(&request, &loaded.indent, &loaded.fold, &loaded.header, slot, "Acme", &detail),
                  0);
        EXPECT_TRUE(loaded == Utf8Preset(preset, 70)) << "preset " << preset;
        std::string title;
        ASSERT_TRUE(lumo::ReadSlotTitle(slot, "Acme", &title));
        EXPECT_EQ(title, Utf8DefaultTitle());
    }
    // A title given by the host is its own, stored as it comes.
    int32_t detail = -1;
    ASSERT_EQ(SetDefaultWholeSettingHM(9, 1, "小説用 📚", "Acme"), 0);
    std::string title;
    ASSERT_TRUE(lumo::ReadSlotTitle(9, "Acme", &title));
    EXPECT_EQ(title, "小説用 📚");
    // Numbers that name no slot or no preset write nothing, as before.
    EXPECT_EQ(SetDefaultWholeSetting(1, 3, nullptr, "Acme", &detail), 1);
    EXPECT_EQ(detail, ERR_BAD_NUMBER);
    EXPECT_EQ(SetDefaultWholeSetting(11, 0, nullptr, "Acme", &detail), 1);
    EXPECT_FALSE(lumo::ReadSlotTitle(1, "Acme", &title));
}

TEST_F(Utf8CodePageStore, OnCodePage932PresetsStayAsTheyAreWritten) {
    int32_t detail = -1;
    ASSERT_EQ(SetDefaultWholeSetting(5, 1, nullptr, "Acme", &detail), 0);
    Records loaded;
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.display_width = 80;
    ASSERT_EQ(GetWholeSetting(&request, &loaded.indent, &loaded.fold, &loaded.header, 5, "Acme", &detail), 0);
    Records preset{lumo_test::ExpectedIndentPreset(1), lumo_test::ExpectedFoldPreset(1),
                   lumo_test::ExpectedHeaderPreset(1)};
    preset.fold.foldnum = 70;
    EXPECT_TRUE(loaded == preset);
    std::string title;
    ASSERT_TRUE(lumo::ReadSlotTitle(5, "Acme", &title));
    EXPECT_EQ(title, lumo::kDefaultSlotTitle);
}

// A single-byte code page keeps the code page 932 rules on the system's lead
// bytes, of which it has none: a UTF-8 text's bytes are characters of their
// own there, as before, and the presets stay code page 932 bytes.
TEST(OtherCodePages, KeepTheCodePage932Rules) {
    const std::string text = lumo_test::Utf8SampleTexts()[0];
    Records cp932{lumo_test::ExpectedIndentPreset(2), lumo_test::ExpectedFoldPreset(2),
                  lumo_test::ExpectedHeaderPreset(2)};
    cp932.fold.foldnum = 20;
    for (const uint32_t code_page : {1252u, 932u}) {
        SCOPED_TRACE(code_page);
        const CodePage stand_in(code_page);
        std::vector<char> output;
        Records r = cp932;
        FormatRequest request = Request(text, &output);
        ASSERT_EQ(lumo::engine::MultiLines(&request, &r.indent, &r.fold, &r.header), FORMAT_DONE);
        const std::string classic = output.data();
        EXPECT_EQ(ThroughExport(cp932, text).text, classic);
        EXPECT_NE(ThroughUtf8Entry(Utf8Preset(2, 20), text).text, classic) << "the text shows the difference";

        Records slot0;
        request.display_width = 80;
        int32_t detail = 0;
        ASSERT_EQ(GetWholeSetting(&request, &slot0.indent, &slot0.fold, &slot0.header, 0, nullptr, &detail), 0);
        cp932.fold.foldnum = 70;
        EXPECT_TRUE(slot0 == cp932);
        cp932.fold.foldnum = 20;
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
            const Records records = Utf8Preset(preset, fold);
            for (const std::string &text : Texts()) {
                const Formatting got = ThroughExport(records, text);
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
