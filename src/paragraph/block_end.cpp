// The block-end decisions. Classification reads at most the prefix budget
// and a byte past it, so a line's head of a kilobyte, NUL-terminated, is
// classified as the whole line would be.
#include "paragraph/block_end.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "paragraph/prefix_utf8.h"
#include "text/columns.h"

namespace lumo {

BlockEnds::BlockEnds(const BlockRules &rules) : rules_(rules), scratch_(rules.indent) {
    job_.record_size = LINE_JOB_SIZE;
    prefix_[0] = '\0';
    const IndentSettings &indent = rules.indent;
    quick_ = !(indent.styles & (STYLE_FIXED_COLUMN | STYLE_SCENARIO)) && !(indent.sub_styles & SUB_NAMED_QUOTE);
    if (indent.styles & STYLE_INDENT_STRINGS) {
        for (const char *string : indent.indent_string) first_bytes_[static_cast<unsigned char>(string[0])] = true;
        first_bytes_[0] = false;  // an empty string is none
    }
    bool strings = false;
    for (size_t b = 1; b < 256; ++b) strings = strings || first_bytes_[b];
    learns_ = quick_ && !strings && (indent.styles & STYLE_INDENT);
    if (!learns_) return;
    const char *const sets[] = {indent.chars_for_quote,         indent.chars_for_empha,
                                indent.chars_for_sole_itemize, indent.chars_for_combi_itemize,
                                indent.chars_for_itemize_end,  "\x20\x81\x40"};
    for (const char *set : sets) {
        for (const char *p = set; *p != '\0'; p += rules.cp.CharLength(p)) {
            const uint32_t code = rules.cp.CharCode(p);
            takes_[code >> 6] |= uint64_t{1} << (code & 63);
        }
    }
}

// The bytes of the head [text, stop) up to its first character of none of
// the sets that classification takes runs of; kKeyBytes + 1 when longer.
size_t BlockEnds::KeyLength(const char *text, const char *stop) const {
    const CodePage &cp = rules_.cp;
    const auto length = static_cast<size_t>(stop - text);
    size_t i = 0;
    while (i < length && i <= kKeyBytes) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!cp.IsLead(byte)) {
            if (!((takes_[byte >> 6] >> (byte & 63)) & 1)) break;
            ++i;
            continue;
        }
        // The byte at stop is a line end or NUL, which ends a character.
        const uint32_t code = cp.CharCode(text + i);
        if (!((takes_[code >> 6] >> (code & 63)) & 1)) break;
        i += cp.CharLength(text + i);
    }
    return i <= kKeyBytes ? i : kKeyBytes + 1;
}

// Whether the head [text, stop) is plain, classified without being read:
// its first character begins no run that classification takes (blanks,
// an indent string, quote or emphasis marks, an item mark), so every step
// takes nothing and the paragraph rule has no prefix to shorten. Behind
// taken bytes of leading spaces, the same tells that classification takes
// those spaces and nothing more.
bool BlockEnds::Plain(const char *text, const char *stop, size_t taken) const {
    const IndentSettings &indent = rules_.indent;
    if (!(indent.styles & STYLE_INDENT)) return true;
    if (!quick_) return false;
    if (text == stop) return true;
    const char head[3] = {text[0], stop - text > 1 ? text[1] : '\0', '\0'};
    if (first_bytes_[static_cast<unsigned char>(head[0])]) return false;
    const uint32_t code = rules_.cp.CharCode(head);
    const ClassifyTables &sets = rules_.classify;
    if (sets.blanks.Contains(code)) return false;
    if ((indent.styles & STYLE_QUOTE) && sets.quote.Contains(code)) return false;
    if ((indent.styles & STYLE_EMPHA) && sets.empha.Contains(code)) return false;
    if (!(indent.styles & STYLE_ITEMIZE)) return true;
    if (sets.sole_itemize.Contains(code)) return false;
    // A run of the combined item characters (a word, a number) is an item
    // mark only with an end character behind it, within the prefix budget.
    const CodePage &cp = rules_.cp;
    const auto length = static_cast<size_t>(stop - text);
    const auto at = [&](size_t i, size_t budget, uint32_t *c) {
        if (i >= length || i >= budget) return size_t{0};
        const char pair[3] = {text[i], i + 1 < length ? text[i + 1] : '\0', '\0'};
        const size_t n = cp.CharLength(pair);
        if (i + n > budget) return size_t{0};
        *c = cp.CharCode(pair);
        return n;
    };
    constexpr size_t kBudget = LUMO_PREFIX_BYTES - 1;
    size_t run = 0;
    uint32_t c = 0;
    const size_t budget = kBudget - taken;
    for (size_t n; (n = at(run, budget, &c)) != 0 && sets.combi_itemize.Contains(c);) run += n;
    return run == 0 || at(run, budget, &c) == 0 || !sets.itemize_end.Contains(c);
}

BlockEnds::Head BlockEnds::Classify(const char *text, const char *stop) {
    if (text == classified_text_ && stop == classified_stop_) return classified_;
    classified_text_ = text;
    classified_stop_ = stop;
    if (Plain(text, stop, 0)) {
        job_.flags = 0;
        job_.prefix[0] = '\0';
        return classified_ = Head{0, 0};
    }
    Learnt *learnt = nullptr;
    size_t key = kKeyBytes + 1;
    if (learns_) {
        // Spaces before a plain character are the key by themselves.
        size_t spaces = 0;
        while (spaces < kKeyBytes && text + spaces < stop && text[spaces] == ' ') ++spaces;
        key = text + spaces < stop && Plain(text + spaces, stop, spaces) ? spaces : KeyLength(text, stop);
    }
    const bool ended = text + key == stop;
    if (key <= kKeyBytes) {
        uint32_t hash = 2166136261u;
        for (size_t i = 0; i < key; ++i) hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
        learnt = &learnt_[(hash ^ (hash >> 16)) % std::size(learnt_)];
        if (learnt->key_length == key && learnt->ended == ended && std::memcmp(learnt->key, text, key) == 0) {
            job_.flags = learnt->flags;
            std::memcpy(job_.prefix, learnt->prefix, learnt->prefix_length + 1);
            return classified_ = Head{learnt->flags, learnt->prefix_length};
        }
    }
    const size_t length = std::min(static_cast<size_t>(stop - text), sizeof line_ - 1);
    std::memcpy(line_, text, length);
    line_[length] = '\0';
    job_.text = line_;
    const char *prefix = ClassifyLine(rules_.cp, &job_, &scratch_, &rules_.classify);
    classified_ = Head{job_.flags, prefix != nullptr ? std::strlen(prefix) : 0};
    if (learnt != nullptr && classified_.prefix_length <= kKeyBytes) {
        learnt->key_length = static_cast<uint8_t>(key);
        learnt->ended = ended;
        std::memcpy(learnt->key, text, key);
        learnt->flags = classified_.flags;
        learnt->prefix_length = static_cast<uint8_t>(classified_.prefix_length);
        std::memcpy(learnt->prefix, job_.prefix, classified_.prefix_length + 1);
    }
    return classified_;
}

bool BlockEnds::BeginsWithPrefix(const BlockLine &line) const {
    if (static_cast<size_t>(line.stop - line.text) < prefix_length_ ||
        std::memcmp(line.text, prefix_, prefix_length_) != 0) {
        return false;
    }
    if (line.image == nullptr) return true;
    // Stand-ins spell unlike characters alike: the line's bytes must be the
    // prefix's too, ending where an image character ends.
    return line.image->offsets()[prefix_length_] == prefix_bytes_length_ &&
           std::memcmp(line.bytes, prefix_bytes_.data(), prefix_bytes_length_) == 0;
}

// Whether what folding would have had to move to the next line together at
// p would have fitted behind the line before: a word that word wrap keeps
// whole, or one character with any characters that may not end a line
// before it, and the characters that may not begin one behind either. A
// character fits when it starts before the fold column.
bool BlockEnds::ClassicFits(const char *p, const char *end) const {
    const CodePage &cp = rules_.cp;
    const auto word = [&](const char *q) { return rules_.word_bytes[static_cast<unsigned char>(*q)]; };
    const char *q = p;
    const char *last = p;
    if (q < end && word(q)) {
        while (q < end && static_cast<uint64_t>(q - p) < rules_.maxmove_leftwise && word(q)) last = q++;
    } else {
        while (q < end && rules_.not_for_tail.Contains(cp.CharCode(q))) q += cp.CharLength(q);
    }
    if (q < end) {
        last = q;
        q += cp.CharLength(q);
    }
    while (q < end && rules_.not_for_head.Contains(cp.CharCode(q))) {
        last = q;
        q += cp.CharLength(q);
    }
    return previous_width_ + Columns(p, last, rules_.tab_width) < rules_.fold_column;
}

bool BlockEnds::Starts(const BlockLine &line) {
    if (previous_empty_ || line.stop == line.text) return true;
    if (!BeginsWithPrefix(line)) return true;
    // A quoted line that the settings keep is never folded, so it never
    // runs on into the next line.
    if ((rules_.indent.sub_styles & SUB_KEEP_QUOTED) && (flags_ & LINE_QUOTED)) return true;
    const char *rest = line.text + prefix_length_;
    const uint32_t fold = rules_.fold_column;
    const bool full = fold != 0 && !(rules_.measure != nullptr ? rules_.measure->Fits(previous_width_, line, rest, fold)
                                                               : ClassicFits(rest, line.stop));
    if (fold != 0 && !full) return true;
    const Head head = Classify(rest, line.stop);
    // Folding may cut a line before a sign that reads as an item mark (the
    // "-" of a telephone number); behind a full line that is not an item
    // itself, it continues.
    if (full && head.flags == LINE_ITEMISED && !(flags_ & LINE_ITEMISED)) return false;
    // A paragraph's first-line indent (a full-width space) gives no prefix,
    // since its later lines do not repeat it; it still starts a paragraph.
    const bool indent = (rules_.indent.styles & STYLE_PARAGRAPH) && line.stop - rest >= 2 &&
                        std::memcmp(rest, "\x81\x40", 2) == 0;
    return head.flags != 0 || head.prefix_length != 0 || indent;
}

bool BlockEnds::Open(const BlockLine &line) {
    const Head head = Classify(line.text, line.stop);
    flags_ = head.flags;
    prefix_length_ = head.prefix_length;
    std::memcpy(prefix_, job_.prefix, prefix_length_ + 1);
    if (line.image == nullptr || prefix_length_ == 0) {
        if (!prefix_bytes_.Reserve(prefix_length_ + 1)) return false;
        std::memcpy(prefix_bytes_.data(), prefix_, prefix_length_ + 1);
        prefix_bytes_length_ = prefix_length_;
        return true;
    }
    return Utf8Prefix(rules_.cp, prefix_, *line.image, line.bytes, &prefix_bytes_, &prefix_bytes_length_);
}

void BlockEnds::Pass(const BlockLine &line) {
    classified_text_ = nullptr;  // the next line may lie where this one did
    previous_empty_ = line.stop == line.text;
    previous_width_ = rules_.measure != nullptr ? rules_.measure->Width(line)
                                                : Columns(line.text, line.stop, rules_.tab_width);
}

}  // namespace lumo
