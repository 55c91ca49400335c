// The break search and the line-end rules as the formatter calls them: the
// fold record's sets as tables and one context, built from one record.
#pragma once

#include <memory>

#include "format/find_break.h"
#include "format/line_end_rules.h"
#include "text/text.h"

namespace lumo_fold {

class BreakSearch {
public:
    BreakSearch(const lumo::CodePage &cp, const FoldSettings &fold, uint32_t tab_width = 8)
        : cp_(cp), fold_(fold), tables_(std::make_unique<lumo::FoldTables>(cp, fold_)),
          context_{cp_, tab_width, fold_, *tables_} {}

    // The end of the segment at segment in the line [line_start, line_end).
    const char *Find(const char *line_start, const char *line_end, const char *segment) const {
        return lumo::FindBreak(context_, fold_.foldnum, line_start, line_end, segment);
    }
    const lumo::FoldTables &tables() const { return *tables_; }
    const FoldSettings &fold() const { return fold_; }

private:
    const lumo::CodePage &cp_;
    FoldSettings fold_;
    std::unique_ptr<lumo::FoldTables> tables_;
    lumo::FoldContext context_;
};

}  // namespace lumo_fold
