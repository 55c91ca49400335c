// Random lines of mixed Japanese and English for the line-break rules'
// property and oracle tests: kana, kanji, every member of JLREQ's classes,
// half-width and full-width forms, English, Greek and Cyrillic words, numbers
// with separators, addresses, ASCII symbols, and runs of spaces and tabs,
// some of them longer than any line.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/jlreq_text.h"

namespace lumo_test {

class RandomJapaneseLine {
public:
    explicit RandomJapaneseLine(uint32_t seed) : rng_(seed) {}

    // About length code points.
    std::string Make(size_t length) {
        std::string out;
        while (CodePoints(out).size() < length) out += Token();
        return out;
    }

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }

private:
    std::string Pick(const char *alphabet, size_t count) {
        const std::vector<uint32_t> cps = CodePoints(alphabet);
        std::vector<uint32_t> chosen;
        for (size_t i = 0; i < count; ++i) chosen.push_back(cps[Below(static_cast<uint32_t>(cps.size()))]);
        return Utf8(chosen, 0, chosen.size());
    }

    std::string Token() {
        static const char *const kWords[] = {"the", "quick", "brown", "fox", "Ctrl-Alt-F3", "\"su\"",
                                             "3.14159", "1,234,567", "user@example.com", "/usr/share/doc",
                                             "https://packages.debian.org/", "don't", "(see", "below).", "e.g.,"};
        switch (Below(20)) {
        case 0: case 1: case 2: case 3:
            return Pick("あいうえおかきくけこさしすせそたちつてとなにはまやらわをんアイウカキサシタナハマラワン", 1 + Below(6));
        case 4: case 5:
            return Pick("日本語文字列改行禁則処理行頭行末句読点括弧", 1 + Below(4));
        case 6: case 7: case 8:
            return Pick("‘“(〔[{〈《「『【⦅〘〖«〝（［｛｟｢’”)〕]}〉》」』】⦆〙〗»〟）］｝｠｣‐〜゠–～!?‼⁇⁈⁉！？・:;：；･"
                        "。.．｡、,，､—…‥〳〴〵―ヽヾゝゞ々〻ーｰぁぃっゃゅょゎァッャュョヵヶㇰㇹｧｯ¥$£#€№￥＄￡＃°′″℃¢%‰"
                        "㏋ℓ㌃㌍㎏㎝％￠゛゜",
                        1 + Below(3));
        case 9:
            return Pick("ｱｲｳｴｵｶｷｸｹｺﾞﾟｧｯｰ｡､｢｣･ＡＢＣａｂｃ０１２→★※○■♪①", 1 + Below(4));
        case 10: case 11: case 12:
            return Pick("abcdefghijklmnopqrstuvwxyzABCXYZ0123456789", 1 + Below(Below(8) == 0 ? 90 : 12));
        case 13:
            return kWords[Below(sizeof kWords / sizeof kWords[0])];
        case 14:
            return Pick("αβγδεζηθ", 1 + Below(6)) + " " + Pick("абвгдежз", 1 + Below(6));
        case 15:
            return Pick("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", 1 + Below(2));
        case 16: case 17: case 18:
            return Pick("    \t　", 1 + Below(2));
        default:
            return std::string(Below(4) == 0 ? 20 + Below(100) : 1 + Below(3), ' ');
        }
    }

    std::mt19937 rng_;
};

}  // namespace lumo_test
