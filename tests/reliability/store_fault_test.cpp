// Every store call of a load, a save, GetWholeSetting, SetDefaultWholeSetting
// and the default number failed in turn: the result carries exactly the failed
// value's bit (or the key's, or the failing stage), and the store holds every
// value either as it was or as written in full.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "lumotext.h"
#include "platform/registry.h"
#include "reliability/scratch_store.h"
#include "reliability/slot_groups.h"
#include "reliability/value_tables.h"
#include "settings/presets.h"
#include "settings/slots.h"
#include "support/sjis.h"

namespace {

using lumo::platform::SetStoreFaultHook;
using lumo::platform::StoreCall;
using lumo_test::StoredAs;
using lumo_test::StoredBytes;
using lumo_test::StoredValue;
using Group = lumo_test::SlotGroup;

constexpr int32_t kSlot = 4;

// Records every store call of this thread and fails the one numbered
// fail_at (from 1; 0 fails none).
struct FaultPlan {
    struct Call {
        StoreCall kind;
        std::string path;
        std::string name;
    };
    int fail_at = 0;
    std::vector<Call> calls;

    static bool Hook(StoreCall kind, const std::string &path, const char *name, void *context) {
        auto *plan = static_cast<FaultPlan *>(context);
        plan->calls.push_back({kind, path, name != nullptr ? name : ""});
        return static_cast<int>(plan->calls.size()) == plan->fail_at;
    }
    const Call &failed() const { return calls.at(static_cast<size_t>(fail_at - 1)); }
};

// Runs body with the plan's hook set on this thread.
void WithFaults(FaultPlan *plan, const std::function<void()> &body) {
    SetStoreFaultHook(&FaultPlan::Hook, plan);
    body();
    SetStoreFaultHook(nullptr, nullptr);
}

std::string KindName(StoreCall kind) {
    switch (kind) {
    case StoreCall::kCreate: return "create";
    case StoreCall::kOpen: return "open";
    case StoreCall::kRead: return "read";
    case StoreCall::kWrite: return "write";
    }
    return "?";
}

std::string Describe(const FaultPlan::Call &call) {
    return "failed call: " + KindName(call.kind) + " " + call.path + (call.name.empty() ? "" : " " + call.name);
}

bool EndsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class StoreFaults : public lumo_test::ScratchStore {
protected:
    static uint32_t Save(const Group &group, const std::vector<unsigned char> &record, const char *vendor) {
        return group.save(record.data(), kSlot, vendor);
    }
    static uint32_t Load(const Group &group, std::vector<unsigned char> &record, const char *vendor) {
        return group.load(record.data(), kSlot, vendor);
    }
    // Every value of the group in the store equals expected's.
    void ExpectStored(const Group &group, const std::vector<unsigned char> &expected,
                      const std::string &except = "", const std::vector<unsigned char> *other = nullptr) {
        for (const StoredValue &v : group.values) {
            const Raw raw = ReadRaw(group.Path(vendor(), kSlot), v.name);
            const std::vector<unsigned char> &record = (v.name == except && other != nullptr) ? *other : expected;
            EXPECT_TRUE(raw.found) << v.name << " missing";
            EXPECT_EQ(raw.bytes, StoredBytes(record.data(), v)) << v.name << " not as expected";
        }
    }
};

TEST_F(StoreFaults, EachFailedSaveCallCostsExactlyItsValue) {
    for (const Group &group : lumo_test::SlotGroups()) {
        SCOPED_TRACE(group.name);
        const std::vector<unsigned char> old_record = lumo_test::DistinctRecord(group, "old", 100);
        const std::vector<unsigned char> new_record = lumo_test::DistinctRecord(group, "new", 5000);
        ASSERT_EQ(Save(group, old_record, vendor()), 0u);

        FaultPlan census;
        WithFaults(&census, [&] { EXPECT_EQ(Save(group, new_record, vendor()), 0u); });
        ASSERT_EQ(census.calls.size(), group.values.size() + 1);
        EXPECT_EQ(census.calls[0].kind, StoreCall::kCreate);
        std::set<std::string> written;
        for (size_t i = 1; i < census.calls.size(); ++i) {
            EXPECT_EQ(census.calls[i].kind, StoreCall::kWrite);
            written.insert(census.calls[i].name);
        }
        EXPECT_EQ(written.size(), group.values.size()) << "a value written twice or not at all";

        for (int n = 1; n <= static_cast<int>(census.calls.size()); ++n) {
            ASSERT_EQ(Save(group, old_record, vendor()), 0u);
            FaultPlan plan;
            plan.fail_at = n;
            uint32_t mask = 0;
            WithFaults(&plan, [&] { mask = Save(group, new_record, vendor()); });
            SCOPED_TRACE(Describe(plan.failed()));
            if (plan.failed().kind == StoreCall::kCreate) {
                EXPECT_EQ(mask, MASK_KEY);
                EXPECT_EQ(plan.calls.size(), 1u) << "values written after the key failed";
                ExpectStored(group, old_record);
            } else {
                const StoredValue *value = group.Find(plan.failed().name);
                ASSERT_NE(value, nullptr);
                EXPECT_EQ(mask, value->bit);
                EXPECT_EQ(plan.calls.size(), census.calls.size()) << "the save stopped at the failure";
                ExpectStored(group, new_record, value->name, &old_record);
            }
        }
    }
}

TEST_F(StoreFaults, EachFailedLoadCallCostsExactlyItsField) {
    for (const Group &group : lumo_test::SlotGroups()) {
        SCOPED_TRACE(group.name);
        const std::vector<unsigned char> stored = lumo_test::DistinctRecord(group, "kept", 7000);
        ASSERT_EQ(Save(group, stored, vendor()), 0u);

        FaultPlan census;
        std::vector<unsigned char> loaded(group.record_size, 0xBD);
        WithFaults(&census, [&] { EXPECT_EQ(Load(group, loaded, vendor()), 0u); });
        EXPECT_EQ(loaded, stored);
        ASSERT_EQ(census.calls.size(), group.values.size() + 1);
        EXPECT_EQ(census.calls[0].kind, StoreCall::kOpen);

        for (int n = 1; n <= static_cast<int>(census.calls.size()); ++n) {
            FaultPlan plan;
            plan.fail_at = n;
            std::fill(loaded.begin(), loaded.end(), 0xBD);
            uint32_t mask = 0;
            WithFaults(&plan, [&] { mask = Load(group, loaded, vendor()); });
            SCOPED_TRACE(Describe(plan.failed()));
            if (plan.failed().kind == StoreCall::kOpen) {
                EXPECT_EQ(mask, MASK_KEY);
                EXPECT_EQ(loaded, std::vector<unsigned char>(group.record_size, 0)) << "record not all zero";
                continue;
            }
            const StoredValue *value = group.Find(plan.failed().name);
            ASSERT_NE(value, nullptr);
            EXPECT_EQ(mask, value->bit);
            std::vector<unsigned char> expected = stored;
            std::fill(expected.begin() + static_cast<std::ptrdiff_t>(value->offset),
                      expected.begin() + static_cast<std::ptrdiff_t>(value->offset + value->size), 0);
            EXPECT_EQ(loaded, expected) << "more than the failed field changed";
        }
    }
}

TEST_F(StoreFaults, GetWholeSettingStopsAtTheStageThatFailed) {
    std::vector<std::vector<unsigned char>> stored;
    for (const Group &group : lumo_test::SlotGroups()) {
        stored.push_back(lumo_test::DistinctRecord(group, "whole", 300));
        if (std::string(group.name) == "foldpos") {
            auto *fold = reinterpret_cast<FoldSettings *>(stored.back().data());
            fold->tailwrap_flag = TAIL_WORDWRAP | TAIL_KINSOKU;
            fold->foldnum_from_head = 64;
        }
        ASSERT_EQ(Save(group, stored.back(), vendor()), 0u);
    }
    const auto run = [&](FaultPlan *plan, lumo::Records *loaded, int32_t *detail) {
        std::memset(loaded, 0xBD, sizeof *loaded);
        FormatRequest request{FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
        int32_t stage = -1;
        WithFaults(plan, [&] {
            stage = GetWholeSetting(&request, &loaded->indent, &loaded->fold, &loaded->header, kSlot,
                                    vendor(), detail);
        });
        return stage;
    };
    FaultPlan census;
    lumo::Records loaded;
    int32_t detail = -1;
    ASSERT_EQ(run(&census, &loaded, &detail), 0);
    EXPECT_EQ(loaded.fold.foldnum, 64u);

    const std::vector<unsigned char> untouched(sizeof(lumo::Records), 0xBD);
    const size_t offsets[] = {offsetof(lumo::Records, indent), offsetof(lumo::Records, fold),
                              offsetof(lumo::Records, header)};
    const int32_t stages[] = {1, 3, 4};
    const std::vector<Group> groups = lumo_test::SlotGroups();
    for (int n = 1; n <= static_cast<int>(census.calls.size()); ++n) {
        FaultPlan plan;
        plan.fail_at = n;
        detail = -1;
        const int32_t stage = run(&plan, &loaded, &detail);
        SCOPED_TRACE(Describe(plan.failed()));
        size_t g = 0;
        while (g < groups.size() && !EndsWith(plan.failed().path, std::string("\\") + groups[g].name)) ++g;
        ASSERT_LT(g, groups.size());
        const StoredValue *value = groups[g].Find(plan.failed().name);
        const uint32_t bit = plan.failed().kind == StoreCall::kOpen ? MASK_KEY : value->bit;
        EXPECT_EQ(stage, stages[g]);
        EXPECT_EQ(detail, static_cast<int32_t>(bit));
        const auto *bytes = reinterpret_cast<const unsigned char *>(&loaded);
        for (size_t later = g + 1; later < groups.size(); ++later) {
            EXPECT_EQ(std::memcmp(bytes + offsets[later], untouched.data(), groups[later].record_size), 0)
                << groups[later].name << " loaded after an earlier stage failed";
        }
    }
}

TEST_F(StoreFaults, SetDefaultWholeSettingReportsTheStageAndWritesNoMore) {
    const std::vector<Group> groups = lumo_test::SlotGroups();
    const std::string slot_key = lumo::SlotKey(vendor(), kSlot);
    const std::string old_title = lumo_test::Sjis("前の題名");
    const auto reset = [&] {
        for (const Group &group : groups) {
            ASSERT_EQ(Save(group, lumo_test::DistinctRecord(group, "old", 900), vendor()), 0u);
        }
        ASSERT_TRUE(lumo::WriteSlotTitle(kSlot, vendor(), old_title));
    };
    std::vector<std::vector<unsigned char>> preset(3);
    preset[0].resize(sizeof(IndentSettings));
    preset[1].resize(sizeof(FoldSettings));
    preset[2].resize(sizeof(HeaderSettings));
    lumo::FillIndentPreset(reinterpret_cast<IndentSettings *>(preset[0].data()), 1);
    lumo::FillFoldPreset(reinterpret_cast<FoldSettings *>(preset[1].data()), 1);
    lumo::FillHeaderPreset(reinterpret_cast<HeaderSettings *>(preset[2].data()), 1);

    reset();
    FaultPlan census;
    int32_t detail = -1;
    WithFaults(&census, [&] { EXPECT_EQ(SetDefaultWholeSetting(kSlot, 1, "new", vendor(), &detail), 0); });
    EXPECT_EQ(detail, 0);
    ASSERT_FALSE(census.calls.empty());
    EXPECT_EQ(census.calls.back().kind, StoreCall::kWrite);
    EXPECT_EQ(census.calls.back().name, "Title");

    for (int n = 1; n <= static_cast<int>(census.calls.size()); ++n) {
        reset();
        FaultPlan plan;
        plan.fail_at = n;
        detail = -1;
        int32_t stage = -1;
        WithFaults(&plan, [&] { stage = SetDefaultWholeSetting(kSlot, 1, "new", vendor(), &detail); });
        const FaultPlan::Call &failed = plan.failed();
        SCOPED_TRACE(Describe(failed));
        // How many groups the call wrote in full before the failure.
        size_t done = 0;
        int32_t expected_stage = 0;
        int32_t expected_detail = 0;
        for (size_t g = 0; g < groups.size(); ++g) {
            if (EndsWith(failed.path, std::string("\\") + groups[g].name)) {
                done = g;
                expected_stage = static_cast<int32_t>(g) + 1;
                expected_detail = static_cast<int32_t>(
                    failed.kind == StoreCall::kCreate ? MASK_KEY : groups[g].Find(failed.name)->bit);
            }
        }
        if (expected_stage == 0) {
            done = groups.size();
            // The slot key cannot be opened (4), or the title is not written,
            // which the call does not report.
            expected_stage = failed.kind == StoreCall::kOpen ? 4 : 0;
            EXPECT_EQ(failed.path, slot_key);
        }
        EXPECT_EQ(stage, expected_stage);
        EXPECT_EQ(detail, expected_detail);
        if (expected_stage != 0 && expected_stage != 4) {
            // The failed group's save goes on with its other values; nothing
            // of a later stage is tried.
            EXPECT_EQ(plan.calls.back().path, failed.path) << "the store was used after the failed stage";
        }
        for (size_t g = 0; g < groups.size(); ++g) {
            SCOPED_TRACE(groups[g].name);
            const std::vector<unsigned char> old_record = lumo_test::DistinctRecord(groups[g], "old", 900);
            if (g < done) {
                ExpectStored(groups[g], preset[g]);
            } else if (g > done) {
                ExpectStored(groups[g], old_record);
            } else if (failed.kind == StoreCall::kWrite) {
                ExpectStored(groups[g], preset[g], failed.name, &old_record);
            } else {
                ExpectStored(groups[g], old_record);
            }
        }
        std::string title;
        ASSERT_TRUE(lumo::ReadSlotTitle(kSlot, vendor(), &title));
        EXPECT_EQ(title, old_title) << "the title changed although its write failed";
    }
}

TEST_F(StoreFaults, DefaultNumberAndTitlesKeepTheirValueWhenACallFails) {
    const auto reset = [&] {
        ASSERT_EQ(SetDefaultNumber(7, vendor()), 0);
        ASSERT_TRUE(lumo::WriteSlotTitle(kSlot, vendor(), "old"));
    };
    // Fails each call of the operation in turn, from the same stored state,
    // and checks the outcome with the hook removed.
    const auto each_call = [&](const std::function<void()> &operation, const std::function<void()> &check) {
        reset();
        FaultPlan census;
        WithFaults(&census, operation);
        ASSERT_FALSE(census.calls.empty());
        for (int n = 1; n <= static_cast<int>(census.calls.size()); ++n) {
            reset();
            FaultPlan plan;
            plan.fail_at = n;
            WithFaults(&plan, operation);
            SCOPED_TRACE(Describe(plan.failed()));
            check();
        }
    };
    int32_t result = -1;
    each_call([&] { result = SetDefaultNumber(3, vendor()); },
              [&] {
                  EXPECT_EQ(result, 2);
                  EXPECT_EQ(GetDefaultNumber(vendor()), 7);
              });
    each_call([&] { result = GetDefaultNumber(vendor()); }, [&] { EXPECT_EQ(result, 0); });
    bool ok = true;
    each_call([&] { ok = lumo::WriteSlotTitle(kSlot, vendor(), "new"); },
              [&] {
                  EXPECT_FALSE(ok);
                  std::string title;
                  EXPECT_TRUE(lumo::ReadSlotTitle(kSlot, vendor(), &title));
                  EXPECT_EQ(title, "old");
              });
    std::string title;
    each_call([&] { ok = lumo::ReadSlotTitle(kSlot, vendor(), &title); }, [&] { EXPECT_FALSE(ok); });
}

}  // namespace
