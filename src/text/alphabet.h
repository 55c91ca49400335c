// The spelling of a UTF-8 call in code page 932 terms. The formatting rules
// work on code page 932, where a character's bytes are its columns; a UTF-8
// line is spelt for them character by character: a character that code page
// 932 holds at its width as its own code, a character that a set of the call
// names as a code of its own from the codes code page 932 leaves unused, and
// any other character as one of three stand-ins (narrow letter, narrow other,
// wide other). Built once per call from the sets, before any line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/unicode_data.h"

namespace lumo::text {

class Alphabet {
public:
    static constexpr uint16_t kNarrowLetter = 0xFD;  // word wrap counts it as a letter
    static constexpr uint16_t kNarrowOther = 0xFE;   // also a byte that is not UTF-8
    static constexpr uint16_t kWideOther = 0xEFFC;

    Alphabet(const UnicodeData &data, Ambiguous mode) : data_(data), mode_(mode) {}

    // Names each code point of the UTF-8 text (a set or an indent string)
    // as one that needs a code of its own. Call for every set first, then
    // Seal once before spelling anything.
    void Collect(const char *utf8, size_t size);
    void Seal();

    // The code of a cluster that begins with code_point and is width columns
    // wide (1 or 2).
    uint16_t CodeOf(uint32_t code_point, const CodePointInfo &info, unsigned width) const;

    // Spells the UTF-8 text (at most size bytes, NUL-terminated within them)
    // into dest (size bytes, always terminated). With partners, each
    // character that has a code page 932 partner brings the partner along,
    // as the sets want.
    void Spell(const char *utf8, size_t size, char *dest, bool partners) const;

    // The codes of narrow letters that are not ASCII (for the word tables).
    size_t LetterCodes(uint16_t *codes, size_t capacity) const;

    // Whether every ASCII byte is spelt as itself (no set took a control
    // byte for a character of its own).
    bool AsciiAsItself() const { return !controls_taken_; }

    Ambiguous mode() const { return mode_; }
    const UnicodeData &data() const { return data_; }

private:
    struct Entry {
        uint32_t code_point;
        uint16_t code;   // 0 until sealed, and when the codes ran out
        uint8_t width;   // 1 or 2
        bool letter;
    };
    static constexpr size_t kMaxEntries = 1024;

    void Add(uint32_t code_point);
    void Compact();  // sorted by code point, each once
    const Entry *Find(uint32_t code_point) const;
    size_t SpellOne(uint32_t code_point, char *out) const;

    const UnicodeData &data_;
    Ambiguous mode_;
    Entry entries_[kMaxEntries];
    size_t count_ = 0;
    bool control_named_[0x80] = {};  // a control byte that a set names as itself
    bool control_taken_[0x80] = {};  // a control byte given to another character
    bool controls_taken_ = false;
};

}  // namespace lumo::text
