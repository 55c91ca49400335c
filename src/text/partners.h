// The characters that input methods type in two forms, of which code page
// 932 (as glibc and Windows convert it) holds one: each pair is one character
// for the sets of a UTF-8 call and for texts converted to code page 932.
#pragma once

#include <cstdint>

namespace lumo::text {

inline constexpr uint32_t kCp932Partners[][2] = {
    {0x301C, 0xFF5E},  // 〜 ～
    {0x2016, 0x2225},  // ‖ ∥
    {0x2212, 0xFF0D},  // − －
    {0x00A2, 0xFFE0},  // ¢ ￠
    {0x00A3, 0xFFE1},  // £ ￡
    {0x00AC, 0xFFE2},  // ¬ ￢
    {0x2014, 0x2015},  // — ―
};

// The partner of code_point, or 0 when it has none.
constexpr uint32_t Cp932Partner(uint32_t code_point) {
    for (const auto &pair : kCp932Partners) {
        if (pair[0] == code_point) return pair[1];
        if (pair[1] == code_point) return pair[0];
    }
    return 0;
}

}  // namespace lumo::text
