// The table of stored fields against a real store: each value's name and
// mask bit are those a load reports, and a load reads and a save writes the
// values in the store's own order, written out here by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "settings/record_fields.h"
#include "settings/slots.h"
#include "support/temp_store.h"

namespace lumo {
namespace {

using platform::StoreCall;

class FieldStore : public lumo_test::TempStore {
protected:
    void StorePreset2() {
        ASSERT_EQ(SavePresetIndent(3, 2, nullptr), 0u);
        ASSERT_EQ(SavePresetFold(3, 2, nullptr), 0u);
        ASSERT_EQ(SavePresetHeader(3, 2, nullptr), 0u);
    }
};

// The value names and mask bits of the table are those the slots use: a value
// deleted by name from the store shows in the load mask at the table's bit.
TEST_F(FieldStore, ValueNamesAndMaskBitsMatchTheSlots) {
    StorePreset2();
    for (const FieldSpec &field : Fields()) {
        SCOPED_TRACE(field.name);
        const std::string path = SlotKey(nullptr, 3) + "\\" + RecordGroupKey(field.record);
        platform::RegistryKey key = platform::RegistryKey::Open(path, platform::Access::kAll);
        ASSERT_TRUE(key.valid());
        uint32_t size = 0;
        ASSERT_TRUE(key.Read(field.value_name(), nullptr, &size)) << "no such value in the store";
        // A value too long for its field fails to load as a missing one does.
        const std::string too_long(field.size + 1, 'x');
        ASSERT_TRUE(key.Write(field.value_name(), platform::kRegSz, too_long.data(),
                              static_cast<uint32_t>(too_long.size())));
        Records records;
        EXPECT_EQ(LoadRecord(field.record, &records, 3, nullptr), field.mask);
        EXPECT_EQ(FailedValueNames(field.record, field.mask, 3, nullptr),
                  std::vector<std::string>{field.value_name()});
        StorePreset2();
    }
}

// The value names that each store call of body touched, in order.
std::vector<std::string> CallsOf(StoreCall kind, void (*body)()) {
    struct Log {
        StoreCall kind;
        std::vector<std::string> names;
        static bool Hook(StoreCall call, const std::string &, const char *name, void *context) {
            auto *log = static_cast<Log *>(context);
            if (call == log->kind && name != nullptr) log->names.push_back(name);
            return false;  // fail nothing
        }
    } log{kind, {}};
    platform::SetStoreFaultHook(&Log::Hook, &log);
    body();
    platform::SetStoreFaultHook(nullptr, nullptr);
    return log.names;
}

std::vector<std::string> IndentOrder() {
    std::vector<std::string> names = {"styles",
                                      "sub_styles",
                                      "fixed_indent_column",
                                      "chars_for_quote",
                                      "chars_for_empha",
                                      "chars_for_sole_itemize",
                                      "chars_for_combi_itemize",
                                      "chars_for_itemize_end"};
    for (int k = 0; k < 10; ++k) {
        names.push_back("indent_string-" + std::to_string(k));
        names.push_back("indent_string_property-" + std::to_string(k));
    }
    return names;
}

// ---- Former bugs -----------------------------------------------------------

// The slots and the tool described the stored values in two tables. With one
// table, a load and a save still go through the store in its own order:
// indent strings pair by pair with their property words, and
// chars_not_for_head read before chars_not_for_tail but written after it.
TEST_F(FieldStore, TheSlotsAndTheToolHadTwoTablesOfTheStoredValues) {
    StorePreset2();
    const std::vector<std::string> fold_head = {"foldnum_from_head", "foldnum_from_tail",
                                                "tailwrap_flag",     "wraptype",
                                                "maxmove_leftwise",  "maxmove_rightwise"};
    std::vector<std::string> fold_read = fold_head;
    fold_read.insert(fold_read.end(), {"chars_not_for_head", "chars_not_for_tail", "chars_for_wordwrap"});
    std::vector<std::string> fold_written = fold_head;
    fold_written.insert(fold_written.end(),
                        {"chars_not_for_tail", "chars_not_for_head", "chars_for_wordwrap"});
    const std::vector<std::string> header = {"lumoheader", "headerdelimiter"};

    EXPECT_EQ(CallsOf(StoreCall::kRead,
                      [] {
                          Records r;
                          LoadRecord(Record::kIndent, &r, 3, nullptr);
                      }),
              IndentOrder());
    EXPECT_EQ(CallsOf(StoreCall::kWrite, [] { SavePresetIndent(3, 1, nullptr); }), IndentOrder());
    EXPECT_EQ(CallsOf(StoreCall::kRead,
                      [] {
                          Records r;
                          LoadRecord(Record::kFold, &r, 3, nullptr);
                      }),
              fold_read);
    EXPECT_EQ(CallsOf(StoreCall::kRead,
                      [] {
                          Records r;
                          LoadRecord(Record::kFold, &r, 3, nullptr, OnMissing::kKeep);
                      }),
              fold_read);
    EXPECT_EQ(CallsOf(StoreCall::kWrite, [] { SavePresetFold(3, 1, nullptr); }), fold_written);
    EXPECT_EQ(CallsOf(StoreCall::kRead,
                      [] {
                          Records r;
                          LoadRecord(Record::kHeader, &r, 3, nullptr);
                      }),
              header);
    EXPECT_EQ(CallsOf(StoreCall::kWrite, [] { SavePresetHeader(3, 1, nullptr); }), header);
}

}  // namespace
}  // namespace lumo
