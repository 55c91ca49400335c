// Slot settings for the format and bind commands. The store reports a key it
// cannot open the same way whether the key is missing or the store is broken,
// so a missing key is confirmed by opening the store's root before the user
// is told that a slot is empty.
#include "slot_settings.h"

#include <string>
#include <vector>

#include "platform/registry.h"
#include "settings/field_text.h"
#include "settings/slots.h"
#include "text/text.h"

namespace lumo::cli {
namespace {

constexpr uint32_t kMaxWidth = 65535;

// word as the shell should see it again in a suggested command.
std::string ShellWord(const std::string &word) {
    bool plain = !word.empty();
    for (const char c : word) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.' || c == '/' || static_cast<unsigned char>(c) >= 0x80;
        if (!safe) plain = false;
    }
    if (plain) return word;
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string VendorSuffix(const SlotChoice &choice) {
    return choice.vendor.empty() ? std::string() : " --vendor " + ShellWord(choice.vendor_argument);
}

// The message for a record of the slot that failed to load with mask.
std::string LoadFailure(const SlotChoice &choice, Record record, uint32_t mask) {
    const std::string slot = std::to_string(choice.slot);
    const char *vendor = choice.vendor.c_str();
    std::string reason;
    if (!StoreReadable(&reason)) return "cannot read slot " + slot + ": " + reason;
    if (mask == MASK_KEY) {
        // Say "no settings" only when the slot has none of its three records.
        Records records;
        bool empty = true;
        for (const Record each : kAllRecords) {
            empty = empty && LoadRecord(each, &records, choice.slot, vendor) == MASK_KEY;
        }
        return "slot " + slot + " has no " + (empty ? std::string() : std::string(RecordName(record)) + " ") +
               "settings yet; store a preset with: lumotext slot preset " + slot + " 2" + VendorSuffix(choice);
    }
    const std::vector<std::string> names = FailedValueNames(record, mask, choice.slot, vendor);
    const std::string first = names.empty() ? std::string("VALUE") : names.front();
    return "slot " + slot + "'s " + RecordName(record) + " settings lack the value" +
           (names.size() == 1 ? " " : "s ") + JoinWords(names) +
           " (missing, or too long for the field); store one with: lumotext slot set " + slot + " " +
           RecordName(record) + "." + first + " VALUE" + VendorSuffix(choice);
}

}  // namespace

const OptionSpec kSlotOption = {
    "slot", '\0', "N",
    "take the settings from slot N (1 to 10) of the\n"
    "settings store; 0 is preset 2 (see \"lumotext slot\")"};
const OptionSpec kWidthOption = {
    "width", '\0', "N",
    "with --slot: the display width, 1 to 65535\n"
    "(default 80), that a slot's fold column may follow"};
const OptionSpec kVendorOption = {
    "vendor", '\0', "V",
    "with --slot: the slots of vendor V (default:\n"
    "the slots every program shares)"};

bool ReadSlotChoice(const ParsedCommand &command, SlotChoice *choice, std::string *error) {
    uint32_t number = 0;
    if (const std::string *value = command.Value("slot")) {
        if (!ParseNumberOption(*value, "slot", 0, LUMO_SLOT_COUNT, &number, error)) return false;
        choice->slot = static_cast<int32_t>(number);
        if (command.Has("preset")) {
            *error = "--slot and --preset cannot be used together: a slot holds settings of its own";
            return false;
        }
    }
    if (const std::string *value = command.Value("width")) {
        if (choice->slot < 0) {
            *error = "--width applies only with --slot (a slot's fold column may follow the display width)";
            return false;
        }
        if (!ParseNumberOption(*value, "width", 1, kMaxWidth, &choice->display_width, error)) return false;
    }
    if (const std::string *value = command.Value("vendor")) {
        if (choice->slot < 0) {
            *error = "--vendor applies only with --slot";
            return false;
        }
        TerminalText terminal;
        std::string why;
        if (!terminal.Open(&why) || !VendorFromArgument(*value, terminal, &choice->vendor, &why)) {
            *error = "--vendor: " + why;
            return false;
        }
        choice->vendor_argument = *value;
    }
    return true;
}

bool VendorFromArgument(const std::string &argument, const TerminalText &terminal, std::string *vendor,
                        std::string *error) {
    if (!terminal.FromTerminal(argument, vendor, error)) return false;
    for (size_t pos = 0; pos < vendor->size(); ++pos) {
        const auto byte = static_cast<unsigned char>((*vendor)[pos]);
        if (IsCp932LeadByte(byte)) {
            ++pos;  // a two-byte character; its second byte may be 0x5C
        } else if (byte == '\\') {
            *error = "a vendor name cannot contain a backslash";
            return false;
        }
    }
    return true;
}

bool IsFailedValue(const FieldSpec &field, const std::vector<std::string> &failed) {
    // A value is named alone, or under its bit's shared name when the store
    // could not tell which of the values sharing it failed.
    const std::vector<std::string> shared = ValuesOfMask(field.record, field.mask);
    for (const std::string &name : failed) {
        if (name == field.value_name() || (!shared.empty() && name == shared.front())) return true;
    }
    return false;
}

bool SettingsFromSlot(const SlotChoice &choice, const uint32_t *fold, uint32_t tab_width,
                      Records *settings, std::string *error) {
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = tab_width;  // not read by the load
    request.display_width = choice.display_width;
    const char *vendor = choice.vendor.c_str();
    int32_t detail = 0;
    int32_t stage =
        WholeSetting(request, &settings->indent, &settings->fold, &settings->header, choice.slot, vendor, &detail);
    if (stage == 2 && fold != nullptr) {
        // The fold column given replaces the derived one, so its failure
        // does not count; the header is still to be loaded.
        detail = static_cast<int32_t>(LoadHeaderSettings(&settings->header, choice.slot, vendor));
        stage = detail != 0 ? 4 : 0;
    }
    const std::string slot = std::to_string(choice.slot);
    switch (stage) {
    case 0: break;
    case 1: *error = LoadFailure(choice, Record::kIndent, static_cast<uint32_t>(detail)); return false;
    case 3: *error = LoadFailure(choice, Record::kFold, static_cast<uint32_t>(detail)); return false;
    case 4: *error = LoadFailure(choice, Record::kHeader, static_cast<uint32_t>(detail)); return false;
    case 2:
        if (settings->fold.tailwrap_flag & TAIL_FOLLOW_WIDTH) {
            *error = "slot " + slot + "'s fold column follows the display width, and a width of " +
                     std::to_string(choice.display_width) + " leaves no column (the slot leaves " +
                     std::to_string(settings->fold.foldnum_from_tail) +
                     " columns free: fold.foldnum_from_tail); give a larger --width" +
                     (choice.fold_option ? " or a fold column with --fold" : "");
        } else {
            *error = "slot " + slot + "'s fold column (fold.foldnum_from_head) is 0; " +
                     (choice.fold_option ? "give one with --fold, or " : "") +
                     "store one with: lumotext slot set " + slot + " fold.foldnum_from_head 70" +
                     VendorSuffix(choice);
        }
        return false;
    default: *error = "slot " + slot + " failed to load at stage " + std::to_string(stage); return false;
    }
    if (fold != nullptr) settings->fold.foldnum = *fold;
    return true;
}

bool StoreReadable(std::string *reason) {
    const platform::RegistryKey root = platform::RegistryKey::Open("", platform::Access::kRead);
    if (root.valid()) return true;
    // A store file that does not exist yet, or has no tables yet, holds no
    // key at all: that is an empty store, not a broken one.
    if (platform::LastStoreFailure() == platform::StoreFailure::kMissing) return true;
    const std::string why = platform::LastStoreError();
    *reason = why.empty() ? std::string("the settings store cannot be read") : why;
    return false;
}

std::string StoreFailureReason() {
    const std::string why = platform::LastStoreError();
    return why.empty() ? std::string("the settings store cannot be used") : why;
}

}  // namespace lumo::cli
