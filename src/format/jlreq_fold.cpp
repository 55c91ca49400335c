// Segments by the Japanese line-break rules. The units of a window are made
// once; a segment's search runs on from window to window, the units it has
// settled written out and dropped, so that a run that is never split (a
// word of any length) costs no more than its bytes.
#include "format/jlreq_fold.h"

#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo {

jlreq::Traits TraitsOf(uint32_t code_point) {
    // The commonest characters need nothing of the character model.
    const bool direct = code_point < 0x80 || code_point - 0x3000 < 0x400 || code_point - 0x4E00 < 0x5200 ||
                        code_point == text::kInvalidByte;
    return jlreq::Classify(code_point, direct ? text::CodePointInfo{} : text::UnicodeData::Info(code_point));
}

uint32_t CodePointAt(const JlreqContext &context, const LineView &view, const char *p) {
    const CodePage &cp = context.fold.cp;
    if (view.offsets == nullptr) {
        const uint32_t code_point = text::Cp932CodePoint(static_cast<uint16_t>(cp.CharCode(p)));
        return code_point == text::kNoCodePoint ? text::kInvalidByte : code_point;
    }
    const size_t at = static_cast<size_t>(p - view.text);
    const char *from = view.bytes + view.offsets[at];
    const char *to = view.bytes + view.offsets[at + cp.CharLength(p)];
    return text::DecodeUtf8(from, to).code_point;
}

FoldResult FoldSegmentsJlreq(const JlreqContext &context, const LineView &view, bool complete, LineFold *line,
                             JlreqLine *state, ByteBuffer *out, size_t *consumed) {
    const CodePage &cp = context.fold.cp;
    const FoldTables &tables = context.fold.tables;
    const char *text = view.text;
    const char *const end = text + view.length;
    // The window's characters as units, up to the line end.
    std::vector<jlreq::BreakUnit> &units = state->units;
    std::vector<uint32_t> &at = state->at;
    units.clear();
    at.clear();
    const char *p = text;
    for (; p < end && !IsLineEnd(static_cast<unsigned char>(*p));) {
        const auto length = static_cast<uint16_t>(cp.CharLength(p));
        const uint32_t code = cp.CharCode(p);
        const uint32_t code_point = CodePointAt(context, view, p);
        jlreq::Traits traits = jlreq::Drawn(TraitsOf(code_point), code_point, length);
        if (tables.not_for_head.Contains(code)) traits |= jlreq::trait::kUserNoHead;
        if (tables.not_for_tail.Contains(code)) traits |= jlreq::trait::kUserNoTail;
        units.push_back({code_point, length, traits});
        at.push_back(static_cast<uint32_t>(p - text));
        p += length;
    }
    at.push_back(static_cast<uint32_t>(p - text));

    const auto write = [&](size_t from, size_t to) {
        if (view.offsets == nullptr) return out->Append(text + from, to - from);
        return out->Append(view.bytes + view.offsets[from], view.offsets[to] - view.offsets[from]);
    };
    const uint32_t saved = context.fold.fold.foldnum;
    const size_t count = units.size();
    size_t k = 0;
    while (k < count) {
        if (!state->search) {
            uint64_t columns = saved;
            uint64_t start_column = 0;
            if (!line->first) {
                if (line->prefix_columns >= saved) {  // no column would be left for text
                    if (!line->drop_full_prefix) return FoldResult::kNoColumn;
                    line->prefix_bytes = line->prefix_columns = 0;
                    line->prefix_dropped = true;
                }
                if (!out->Append(line->prefix, line->prefix_bytes)) return FoldResult::kNoMemory;
                columns = saved - line->prefix_columns;
                start_column = line->prefix_columns;
            }
            state->search.emplace(columns, start_column);
            state->taken = 0;
            line->first = false;
        }
        const jlreq::BreakWindow window{units.data() + k, count - k, state->taken, !complete};
        const jlreq::BreakAnswer answer = state->search->Search(context.rules, window);
        if (answer.outcome == jlreq::BreakOutcome::kNeedMore) {
            // What the search has settled goes out; it is read no more.
            const size_t keep = k + static_cast<size_t>(answer.keep - state->taken);
            if (!write(at[k], at[keep])) return FoldResult::kNoMemory;
            state->taken = answer.keep;
            k = keep;
            break;
        }
        if (answer.outcome == jlreq::BreakOutcome::kLineEnd) break;  // the rest is written below
        const size_t next = k + static_cast<size_t>(answer.next - state->taken);
        if (!write(at[k], at[next]) || !out->Append(line->join.between, line->join.between_length)) {
            return FoldResult::kNoMemory;
        }
        state->search.reset();
        k = next;
    }
    if (!complete) {
        *consumed = at[k];
        return FoldResult::kMore;
    }
    // The rest of the line and its line end close the open segment (or are
    // all of a line with nothing before its line end).
    state->search.reset();
    if (!write(at[k], view.length)) return FoldResult::kNoMemory;
    if (!line->own_line_end && !out->Append(line->join.after, line->join.after_length)) return FoldResult::kNoMemory;
    line->first = false;
    *consumed = view.length;
    return FoldResult::kDone;
}

}  // namespace lumo
