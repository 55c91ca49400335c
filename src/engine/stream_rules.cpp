// Making a stream's rules. A UTF-8 stream names every character of its sets
// and indent strings in its alphabet, spells the records with it, and lets
// word wrap count the narrow letters that code page 932 lacks.
#include "engine/stream_rules.h"

#include <new>

#include "settings/terminate.h"
#include "text/spelt_records.h"

namespace lumo::engine {

StreamRules::StreamRules(const RulesSetup &setup, const Records &spelt, std::unique_ptr<text::Alphabet> letters)
    : encoding(setup.encoding),
      rules(setup.rules),
      break_rules{setup.rules == Rules::kStrict  ? jlreq::Level::kStrict
                  : setup.rules == Rules::kLoose ? jlreq::Level::kLoose
                                                 : jlreq::Level::kNormal,
                  setup.hang, setup.tab_width},
      cp(setup.lead_bytes == LeadBytes::kSystem && setup.encoding == Encoding::kCp932 ? CodePage()
                                                                                       : CodePage::Cp932()),
      tab_width(setup.tab_width),
      records(spelt),
      alphabet(std::move(letters)),
      fold_tables(cp, records.fold),
      classify_tables(cp, records.indent) {
    if (alphabet == nullptr) return;
    uint16_t codes[64];
    const size_t count = alphabet->LetterCodes(codes, 64);
    for (size_t i = 0; i < count; ++i) fold_tables.word_byte.byte[codes[i]] = true;
}

std::unique_ptr<const StreamRules> StreamRules::Make(const RulesSetup &setup) {
    // Large (the records and the set tables), so on the heap.
    std::unique_ptr<Records> records(new (std::nothrow) Records(setup.records));
    if (records == nullptr) return nullptr;
    TerminateFields(records.get());
    std::unique_ptr<text::Alphabet> alphabet;
    if (setup.encoding == Encoding::kUtf8) {
        const text::UnicodeData *data = text::UnicodeData::Get();
        if (data == nullptr) return nullptr;
        alphabet.reset(new (std::nothrow) text::Alphabet(*data, setup.ambiguous));
        if (alphabet == nullptr) return nullptr;
        text::CollectSets(records->indent, &records->fold, alphabet.get());
        const Records utf8 = *records;
        text::SpellRecord(*alphabet, utf8.indent, &records->indent);
        text::SpellRecord(*alphabet, utf8.fold, &records->fold);
    }
    return std::unique_ptr<const StreamRules>(new (std::nothrow) StreamRules(setup, *records, std::move(alphabet)));
}

}  // namespace lumo::engine
