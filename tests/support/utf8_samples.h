// UTF-8 samples for the exports on a system whose ANSI code page is UTF-8,
// and the means to hold an export against the UTF-8 entries on them: texts
// of Japanese prose with kana, kanji and punctuation, emoji (with skin
// tones, joiners, flags and variation selectors), combining marks, kanji
// beyond the BMP, half-width katakana with sound marks, itemised and quoted
// lines, tabs and both line ends; random texts of the same; a check,
// independent of the library, that a text is valid UTF-8 line by line; the
// presets written out by hand with their sets in UTF-8; and one formatting or
// binding call of any entry into a buffer that always suffices.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lumotext.h"
#include "support/jlreq_random_text.h"
#include "support/preset_records.h"
#include "support/utf8.h"
#include "text/text.h"

namespace lumo_test {

inline std::vector<std::string> Utf8SampleTexts() {
    return {
        // A notice: a header block, itemised lines, long paragraphs.
        "件名：秋の星空観察会のご案内\r\n"
        "日付：2024年10月3日\r\n"
        "\r\n"
        "　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。今回は新しく購入した口径20cmの反射望遠鏡を"
        "使い、土星の環やアンドロメダ銀河（M31）をご覧いただく予定です。\r\n"
        "・日時：10月19日（土）午後6時30分から8時30分まで（雨天・曇天の場合は翌日の同じ時刻に延期します）\r\n"
        "・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったもの）、あれば双眼鏡\r\n"
        "①受付は午後6時から公民館の玄関で行います。お名前と人数をお知らせください。\r\n",
        // Emoji: a skin tone, a family joined by ZWJ, flags, a keycap, text and
        // emoji presentation selectors.
        "今日の天気は☀️のち☁️、夕方から☔でした👍🏽。家族👨‍👩‍👧‍👦で🇯🇵の旗を持って#️⃣の合図を待ちました。"
        "🎉🎊🎈がたくさんあって、子どもたちは大喜び😆😆😆でした。\n"
        "絵文字だけの行：🍣🍜🍙🍱🍘🍡🍢🍥🍤🍛🍝🍠🍞🥐🥖🥨🥯🥞🧇🧀🍖🍗🥩🥓🍔🍟🍕🌭🥪🌮🌯\n",
        // Combining marks: か + U+309A (か゚), e + U+0301, a stack of marks,
        // half-width katakana with their sound marks, and U+3099 after kana.
        "鼻濁音はか゚き゚く゚け゚こ゚と書きます。Café と résumé と naïve は e\u0301 のように結合文字でも書けます。"
        "a\u0300\u0301\u0302\u0303\u0304 は記号が五つ重なった文字です。ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟとｶﾞｷﾞｸﾞｹﾞｺﾞは半角です。"
        "う\u3099 と ウ\u3099 は濁点を結合させた仮名です。\r\n",
        // Kanji beyond the BMP, variation selectors on kanji, and full-width
        // and ASCII mixed in words.
        "𠮷野家の𩸽（ほっけ）定食と、葛\U000E0100城市の葛\U000E0101飾区。𡈽と𠀋と𪚲はBMPの外の漢字です。"
        "Ｌｕｍｏｔｅｘｔ は Lumotext の全角表記で、ＡＢＣ１２３と ABC123 が並びます。\r\n",
        // Quotes, indented lines and tabs.
        "> 引用された行は、引用符の後ろから折り返されて、続きの行にも引用符が付きます。とても長い引用文の例です。\r\n"
        ">> 二重の引用です。二重の引用も同じように扱われます。二重の引用も同じように扱われます。\r\n"
        "    字下げされた段落は、続きの行も同じだけ字下げされます。字下げされた段落の続きです。\r\n"
        "\tタブで始まる行\tタブを含む行\tタブの後ろ\r\n",
        // Line-break rules: closing brackets, small kana, prolonged sound
        // marks and punctuation at every place a line could end.
        "「こんにちは。」と彼は言った。『ええ、そうですね！』と私は答えた。ちょっとまってください……。"
        "ジャーナリストのチェックリスト――それがすべてだ。（注：これは例です）【重要】〔参考〕\n"
        "ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶーー、、。。，，．．！！？？\n",
        // A line that ends without a line end.
        "最後の行には改行がありません。最後の行には改行がありません。最後の行には改行がありません。",
    };
}

// Random texts of lines of mixed Japanese and English with emoji and
// combining marks, with CR LF or LF line ends and empty lines.
inline std::string RandomUtf8Text(uint32_t seed, int lines) {
    static const char *const kExtras[] = {
        "👍🏽", "👨‍👩‍👧", "🇯🇵", "#️⃣", "☀️", "😆", "か゚", "e\u0301", "a\u0300\u0301\u0302", "ﾊﾟ", "う\u3099",
        "𠮷", "葛\U000E0100", "🧑🏻‍💻", "🏳️‍🌈", "\u200B", "\u00A0", "　", "\t",
    };
    RandomJapaneseLine random(seed);
    std::string text;
    for (int line = 0; line < lines; ++line) {
        const uint32_t kind = random.Below(10);
        if (kind == 0) {
            text += random.Below(2) == 0 ? "\r\n" : "\n";
            continue;
        }
        std::string body = random.Make(10 + random.Below(kind < 5 ? 60 : 200));
        for (uint32_t k = random.Below(6); k > 0; --k) {
            body += kExtras[random.Below(sizeof kExtras / sizeof kExtras[0])];
            body += random.Make(1 + random.Below(8));
        }
        text += body;
        text += random.Below(3) == 0 ? "\n" : "\r\n";
    }
    return text;
}

// Whether the bytes are well-formed UTF-8 (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), on their own, without the library.
inline bool IsUtf8(std::string_view bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = 0;
        uint32_t low = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++at;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, low = 0x80, code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, low = 0x800, code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, low = 0x10000, code = lead & 0x07u;
        } else {
            return false;
        }
        if (at + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto trail = static_cast<unsigned char>(bytes[at + k]);
            if ((trail & 0xC0) != 0x80) return false;
            code = code << 6 | (trail & 0x3Fu);
        }
        if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        at += length;
    }
    return true;
}

// The lines of a text (cut at CR, LF and CR LF) that are not UTF-8 on their
// own: a character cut at a line end leaves such a line behind.
inline std::vector<std::string> LinesThatAreNotUtf8(const std::string &text) {
    std::vector<std::string> broken;
    size_t start = 0;
    for (size_t at = 0; at <= text.size(); ++at) {
        if (at < text.size() && text[at] != '\r' && text[at] != '\n') continue;
        const std::string line = text.substr(start, at - start);
        if (!IsUtf8(line)) broken.push_back(line);
        start = at + 1;
    }
    return broken;
}

struct PresetRecords {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};

inline bool SameRecords(const PresetRecords &a, const PresetRecords &b) {
    return std::memcmp(&a.indent, &b.indent, sizeof a.indent) == 0 &&
           std::memcmp(&a.fold, &b.fold, sizeof a.fold) == 0 &&
           std::memcmp(&a.header, &b.header, sizeof a.header) == 0;
}

// Preset n written out by hand, its sets converted to UTF-8 (support/utf8.h),
// with the fold column foldnum.
inline PresetRecords Utf8PresetRecords(int preset, uint32_t foldnum) {
    PresetRecords r{ExpectedIndentPreset(preset), ExpectedFoldPreset(preset), ExpectedHeaderPreset(preset)};
    const bool converted = ConvertRecord(&r.indent) && ConvertRecord(&r.fold) && ConvertRecord(&r.header);
    if (!converted) r.fold.foldnum_from_head = 0;  // shows in any comparison
    r.fold.foldnum = foldnum;
    return r;
}

struct Formatting {
    int32_t result;
    std::string text;
};

// One call of a formatting entry (an export or a UTF-8 entry) on copies of
// the records.
template <typename Format>
Formatting FormatWith(Format format, PresetRecords r, const std::string &text) {
    std::vector<char> output(text.size() * 8 + 256, '\xBD');
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = 8;
    request.display_width = 80;
    request.source = text.c_str();
    request.output = output.data();
    request.capacity = static_cast<uint32_t>(output.size());
    const int32_t result = format(&request, &r.indent, &r.fold, &r.header);
    return {result, output.data()};
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

// A text whole and each of its lines, as blocks to bind.
inline std::vector<std::string> Blocks(const std::string &text) {
    std::vector<std::string> blocks = {text};
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const size_t stop = end == std::string::npos ? text.size() : end + 1;
        blocks.push_back(text.substr(at, stop - at));
        at = stop;
    }
    return blocks;
}

}  // namespace lumo_test
