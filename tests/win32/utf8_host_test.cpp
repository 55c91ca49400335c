// Lumotext.dll on a Windows whose ANSI code page is UTF-8 (utf8_system.h):
// every export that takes text gives exactly what the library's UTF-8
// entries, linked into this program, give on the same text and UTF-8
// records; slot 0 and the presets written into slots are UTF-8; and no
// output line holds part of a character. The texts are Debian's Japanese
// manual pages rendered to text (render-japanese-pages.sh), the samples of
// support/utf8_samples.h and random texts.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lumotext.h"
#include "support/utf8_samples.h"
#include "system_clipboard.h"
#include "utf8_system.h"

namespace {

template <typename Function>
Function Cast(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

struct Api {
    HMODULE module = nullptr;
    decltype(&::GetWholeSetting) GetWholeSetting = nullptr;
    decltype(&::GetWholeSettingGLHM) GetWholeSettingGLHM = nullptr;
    decltype(&::SetDefaultWholeSetting) SetDefaultWholeSetting = nullptr;
    decltype(&::SetDefaultWholeSettingHM) SetDefaultWholeSettingHM = nullptr;
    decltype(&::LumoMultiLines) LumoMultiLines = nullptr;
    decltype(&::LumoClipBoard) LumoClipBoard = nullptr;
    decltype(&::LumoClipBoardGLHM) LumoClipBoardGLHM = nullptr;
    decltype(&::BindLines) BindLines = nullptr;
    decltype(&::BindClipBoard) BindClipBoard = nullptr;
    decltype(&::BindClipBoardGLHM) BindClipBoardGLHM = nullptr;
    decltype(&::SetLumoPropertyGLHM) SetLumoPropertyGLHM = nullptr;
};

const Api &Library() {
    static const Api api = [] {
        Api a;
        a.module = LoadLibraryA(LUMOTEXT_DLL);
        if (a.module == nullptr) return a;
#define LUMO_RESOLVE(name) a.name = Cast<decltype(&::name)>(GetProcAddress(a.module, #name))
        LUMO_RESOLVE(GetWholeSetting);
        LUMO_RESOLVE(GetWholeSettingGLHM);
        LUMO_RESOLVE(SetDefaultWholeSetting);
        LUMO_RESOLVE(SetDefaultWholeSettingHM);
        LUMO_RESOLVE(LumoMultiLines);
        LUMO_RESOLVE(LumoClipBoard);
        LUMO_RESOLVE(LumoClipBoardGLHM);
        LUMO_RESOLVE(BindLines);
        LUMO_RESOLVE(BindClipBoard);
        LUMO_RESOLVE(BindClipBoardGLHM);
        LUMO_RESOLVE(SetLumoPropertyGLHM);
#undef LUMO_RESOLVE
        return a;
    }();
    return api;
}

using lumo_test::BindWith;
using lumo_test::FormatWith;
using lumo_test::Formatting;
using Records = lumo_test::PresetRecords;

Records Utf8Preset(int preset, uint32_t foldnum) { return lumo_test::Utf8PresetRecords(preset, foldnum); }

// ---- The texts ------------------------------------------------------------

// Debian's Japanese manual pages as the fixture rendered them (none when
// the machine has no Japanese manual pages).
std::vector<std::string> ManualPages() {
    std::vector<std::string> pages;
    const std::string folder = LUMOTEXT_JAPANESE_PAGES;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.txt").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return pages;
    do {
        HANDLE file = CreateFileA((folder + "\\" + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        std::string text(found.nFileSizeLow, '\0');
        DWORD read = 0;
        if (ReadFile(file, text.data(), found.nFileSizeLow, &read, nullptr) && read == found.nFileSizeLow &&
            !text.empty() && text.find('\0') == std::string::npos) {
            pages.push_back(text);
        }
        CloseHandle(file);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return pages;
}

std::vector<std::string> Texts() {
    std::vector<std::string> texts = lumo_test::Utf8SampleTexts();
    for (uint32_t seed = 1; seed <= 10; ++seed) texts.push_back(lumo_test::RandomUtf8Text(seed, 12));
    return texts;
}

std::string Head(const std::string &text) { return text.substr(0, text.find('\n')).substr(0, 80); }

// ---- The tests ------------------------------------------------------------

class Utf8System : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Library().module, nullptr) << "cannot load " << LUMOTEXT_DLL;
        ASSERT_NE(Library().BindClipBoardGLHM, nullptr);
        system_ = std::make_unique<lumo_test::Utf8System>(Library().module);
        ASSERT_TRUE(system_->patched()) << "the library does not import what answers for the code page";
        vendor_ = "LumotextUtf8Test" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + vendor_).c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + vendor_).c_str());
        system_.reset();
    }
    const char *vendor() const { return vendor_.c_str(); }
    std::string SlotPath(int slot) const { return "Software\\" + vendor_ + "\\Lumotext\\" + std::to_string(slot); }

    // Every text through the export and the UTF-8 entry, compared.
    void ExpectSameFormatting(const std::vector<std::string> &texts, const uint32_t *folds, size_t fold_count) {
        int formatted = 0;
        for (int preset = 0; preset < 3; ++preset) {
            for (size_t f = 0; f < fold_count; ++f) {
                const Records records = Utf8Preset(preset, folds[f]);
                for (const std::string &text : texts) {
                    SCOPED_TRACE("preset " + std::to_string(preset) + ", fold " + std::to_string(folds[f]) + ": " +
                                 Head(text));
                    const Formatting expected = FormatWith(lumo_test::FormatUtf8, records, text);
                    const Formatting got = FormatWith(Library().LumoMultiLines, records, text);
                    ASSERT_EQ(got.result, expected.result);
                    ASSERT_EQ(got.text, expected.text);
                    if (got.result != FORMAT_DONE) continue;
                    ++formatted;
                    const std::vector<std::string> broken = lumo_test::LinesThatAreNotUtf8(got.text);
                    ASSERT_TRUE(broken.empty()) << broken.size() << " lines with a cut character";
                }
            }
        }
        EXPECT_GT(formatted, 0);
    }

    std::unique_ptr<lumo_test::Utf8System> system_;
    std::string vendor_;
};

TEST_F(Utf8System, SlotZeroIsPresetTwoInUtf8) {
    Records loaded;
    std::memset(&loaded, 0xBD, sizeof loaded);
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.display_width = 80;
    int32_t detail = -1;
    ASSERT_EQ(Library().GetWholeSetting(&request, &loaded.indent, &loaded.fold, &loaded.header, 0, nullptr, &detail),
              0);
    EXPECT_TRUE(lumo_test::SameRecords(loaded, Utf8Preset(2, 70)));
}

TEST_F(Utf8System, LumoMultiLinesFormatsTheSamplesAsUtf8) {
    const uint32_t folds[] = {6, 11, 20, 37, 70};
    ExpectSameFormatting(Texts(), folds, 5);
}

TEST_F(Utf8System, LumoMultiLinesFormatsDebianManualPagesAsUtf8) {
    const std::vector<std::string> pages = ManualPages();
    if (pages.empty()) GTEST_SKIP() << "no Japanese manual pages were rendered";
    const uint32_t folds[] = {40, 72};
    ExpectSameFormatting(pages, folds, 2);
}

// One case byte for byte, as the native build's LumoMultiLinesUtf8 made it.
TEST_F(Utf8System, OneTextByteForByte) {
    const std::string text =
        "・ｶﾞｷﾞ👍🏽か゚と日本語の文章を、ここで折り返します。Café e\u0301 naïve 😀😀😀\r\n"
        "> 引用👨‍👩‍👧の行も𠮷野家で折り返す。\r\n";
    const std::string expected =
        "\xE3\x83\xBB\xEF\xBD\xB6\xEF\xBE\x9E\xEF\xBD\xB7\xEF\xBE\x9E\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD\xE3\x81\x8B"
        "\xE3\x82\x9A\xE3\x81\xA8\r\n"
        "\xE3\x80\x80\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\r\n"
        "\xE3\x80\x80\xE7\xAB\xA0\xE3\x82\x92\xE3\x80\x81\xE3\x81\x93\xE3\x81\x93\r\n"
        "\xE3\x80\x80\xE3\x81\xA7\xE6\x8A\x98\xE3\x82\x8A\xE8\xBF\x94\xE3\x81\x97\r\n"
        "\xE3\x80\x80\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82" "Caf\xC3\xA9 \r\n"
        "\xE3\x80\x80" "e\xCC\x81 na\xC3\xAFve \xF0\x9F\x98\x80\r\n"
        "\xE3\x80\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\r\n"
        "> \xE5\xBC\x95\xE7\x94\xA8\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7\xE3\x81"
        "\xAE\xE8\xA1\x8C\r\n"
        "> \xE3\x82\x82\xF0\xA0\xAE\xB7\xE9\x87\x8E\xE5\xAE\xB6\xE3\x81\xA7\r\n"
        "> \xE6\x8A\x98\xE3\x82\x8A\xE8\xBF\x94\xE3\x81\x99\xE3\x80\x82\r\n";
    const Formatting got = FormatWith(Library().LumoMultiLines, Utf8Preset(2, 12), text);
    ASSERT_EQ(got.result, FORMAT_DONE);
    EXPECT_EQ(got.text, expected);
}

TEST_F(Utf8System, BindLinesBindsAsUtf8) {
    std::vector<std::string> texts = Texts();
    for (const std::string &page : ManualPages()) texts.push_back(page);
    int bound = 0;
    for (int preset = 0; preset < 3; ++preset) {
        const Records records = Utf8Preset(preset, 24);
        for (const std::string &text : texts) {
            const Formatting folded = FormatWith(lumo_test::FormatUtf8, records, text);
            if (folded.result != FORMAT_DONE) continue;
            for (const std::string &block : lumo_test::Blocks(folded.text)) {
                SCOPED_TRACE("preset " + std::to_string(preset) + ": " + Head(block));
                const lumo_test::Binding expected = BindWith(lumo_test::BindUtf8, records.indent, block);
                const lumo_test::Binding got = BindWith(Library().BindLines, records.indent, block);
                ASSERT_EQ(got.result, expected.result);
                ASSERT_EQ(got.text, expected.text);
                ASSERT_EQ(got.flags, expected.flags);
                ASSERT_EQ(got.prefix, expected.prefix);
                ASSERT_TRUE(lumo_test::LinesThatAreNotUtf8(got.text).empty());
                ++bound;
            }
        }
    }
    EXPECT_GT(bound, 1000);
}

TEST_F(Utf8System, ClipboardCommandsWorkOnUtf8Text) {
    const Api &api = Library();
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    api.SetLumoPropertyGLHM(0, 0, 30, 0);
    Records records = Utf8Preset(2, 30);
    for (const std::string &text : lumo_test::Utf8SampleTexts()) {
        SCOPED_TRACE(Head(text));
        const Formatting expected = FormatWith(lumo_test::FormatUtf8, records, text);
        ASSERT_EQ(expected.result, FORMAT_DONE);
        ASSERT_TRUE(PutClipboardText(text));
        FormatRequest request{};
        request.record_size = FORMAT_REQUEST_SIZE;
        request.tab_width = 8;
        EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(ClipboardText(), expected.text);

        ASSERT_TRUE(PutClipboardText(text));
        EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0);
        EXPECT_EQ(ClipboardText(), expected.text) << "the global records are UTF-8 too";

        const std::string bound = BindWith(lumo_test::BindUtf8, records.indent, expected.text).text;
        ASSERT_TRUE(PutClipboardText(expected.text));
        EXPECT_EQ(api.BindClipBoard(&records.indent), 0);
        EXPECT_EQ(ClipboardText(), bound);
        ASSERT_TRUE(PutClipboardText(expected.text));
        EXPECT_EQ(api.BindClipBoardGLHM(), 0);
        EXPECT_EQ(ClipboardText(), bound);
    }
}

TEST_F(Utf8System, PresetsAndTheDefaultTitleGoIntoSlotsInUtf8) {
    const Api &api = Library();
    for (int preset = 0; preset < 3; ++preset) {
        SCOPED_TRACE("preset " + std::to_string(preset));
        const int slot = 1 + preset;
        ASSERT_EQ(api.SetDefaultWholeSettingHM(slot, preset, nullptr, vendor()), 0);
        // As the registry holds them: the sets in UTF-16, UTF-8 to the A functions.
        const Records utf8 = Utf8Preset(preset, 70);
        std::string stored;
        ASSERT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(slot) + "\\indent", "chars_for_combi_itemize", &stored));
        EXPECT_EQ(stored, std::string(utf8.indent.chars_for_combi_itemize) + '\0');
        ASSERT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(slot) + "\\foldpos", "chars_not_for_head", &stored));
        EXPECT_EQ(stored.substr(0, stored.find('\0')), utf8.fold.chars_not_for_head);
        ASSERT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(slot), "Title", &stored));
        EXPECT_EQ(stored, std::string("設定済み") + '\0');
        // And loaded back whole.
        Records loaded;
        FormatRequest request{};
        request.record_size = FORMAT_REQUEST_SIZE;
        request.display_width = 80;
        int32_t detail = -1;
        ASSERT_EQ(api.GetWholeSetting(&request, &loaded.indent, &loaded.fold, &loaded.header, slot, vendor(), &detail),
                  0);
        EXPECT_TRUE(lumo_test::SameRecords(loaded, utf8));
    }
    ASSERT_EQ(api.SetDefaultWholeSettingHM(5, 2, "小説用📚", vendor()), 0);
    std::string title;
    ASSERT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(5), "Title", &title));
    EXPECT_EQ(title, std::string("小説用📚") + '\0');
}

// ---- Former bugs ------------------------------------------------------------

// On a system whose ANSI code page is UTF-8, IsDBCSLeadByte is false for
// every byte, and folding took a UTF-8 text for single bytes: lines began
// or ended with part of a character (172 such lines in 35 of 40 manual pages).
TEST_F(Utf8System, FormerBugUtf8TextOnAUtf8CodePageNeverLosesHalfACharacter) {
    std::vector<std::string> texts = Texts();
    for (const std::string &page : ManualPages()) texts.push_back(page);
    int formatted = 0;
    for (uint32_t fold = 4; fold <= 80; fold += 19) {
        const Records records = Utf8Preset(0, fold);
        for (const std::string &text : texts) {
            const Formatting got = FormatWith(Library().LumoMultiLines, records, text);
            if (got.result == FORMAT_NO_COLUMN) continue;  // an indent as wide as the fold column
            ASSERT_EQ(got.result, FORMAT_DONE) << "fold " << fold << ": " << Head(text);
            ++formatted;
            const std::vector<std::string> broken = lumo_test::LinesThatAreNotUtf8(got.text);
            ASSERT_TRUE(broken.empty()) << "fold " << fold << ": " << Head(text) << ": " << broken.front();
        }
    }
    EXPECT_GT(formatted, 40);
}

}  // namespace
