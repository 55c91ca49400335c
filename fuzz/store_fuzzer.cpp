// Fuzz target: the settings store, with values of any type and size written
// behind the library's back, or with the fuzzer's bytes as the store file.
// Loads must give exactly what the value tables make of the stored bytes,
// stop GetWholeSetting at the right stage, and never change the file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "lumotext.h"
#include "platform/registry.h"
#include "reliability/value_tables.h"
#include "settings/slots.h"
#include "sjis_model.h"

namespace {

using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;
using lumo::platform::RegistryKey;

using lumo_test::StoredAs;
using ValueRow = lumo_test::StoredValue;

// ASCII letters folded to upper case, never the second byte of a two-byte
// character: how the store compares names.
std::string Folded(const std::string &name) {
    std::string folded = name;
    for (size_t i = 0; i < folded.size(); ++i) {
        if (lumo_fuzz::IsLead(folded[i]) && i + 1 < folded.size()) {
            ++i;
        } else if (folded[i] >= 'a' && folded[i] <= 'z') {
            folded[i] = static_cast<char>(folded[i] - 'a' + 'A');
        }
    }
    return folded;
}

// The same name with the case of some ASCII letters changed.
std::string Recased(FuzzInput &in, const std::string &name) {
    if (!in.Bit()) return name;
    std::string out = name;
    for (size_t i = 0; i < out.size(); ++i) {
        if (lumo_fuzz::IsLead(out[i]) && i + 1 < out.size()) {
            ++i;
        } else if (((out[i] >= 'a' && out[i] <= 'z') || (out[i] >= 'A' && out[i] <= 'Z')) && in.Bit()) {
            out[i] = static_cast<char>(out[i] ^ 0x20);
        }
    }
    return out;
}

struct Stored {
    uint32_t type;
    std::string data;
};
using Group = std::optional<std::map<std::string, Stored>>;  // by folded name; none: no key

// The bytes of a value: sized around the field and the read buffer.
std::string ValueBytes(FuzzInput &in, uint32_t field) {
    static const uint32_t kSizes[] = {0, 1, 2, 3, 4, 5, 8, 255, 256, 257, 1023, 1024, 1025};
    uint32_t size = in.Bit() ? kSizes[in.Below(13)] : in.Below(field + 2);
    if (in.Below(8) == 0) size = field;
    std::string bytes = in.Bytes(16);
    if (bytes.empty()) bytes = "\x81";
    std::string data;
    while (data.size() < size) data += bytes;
    data.resize(size);
    return data;
}

uint32_t ValueType(FuzzInput &in) {
    switch (in.Below(5)) {
    case 0: return lumo::platform::kRegSz;
    case 1: return lumo::platform::kRegDword;
    case 2: return lumo::platform::kRegBinary;
    case 3: return in.U32();
    default: return 7;  // REG_MULTI_SZ
    }
}

// Writes a group's values behind the library's back; returns what it holds.
Group WriteGroup(FuzzInput &in, const std::string &path, const std::vector<ValueRow> &value_rows) {
    if (in.Below(8) == 0) return std::nullopt;
    RegistryKey key = RegistryKey::Create(Recased(in, path));
    FUZZ_CHECK(key.valid(), "cannot create " + path + ": " + lumo::platform::LastStoreError());
    std::map<std::string, Stored> values;
    const auto put = [&](const std::string &name, uint32_t type, const std::string &data) {
        FUZZ_CHECK(key.Write(name.c_str(), type, data.data(), static_cast<uint32_t>(data.size())),
                   "cannot write " + name + ": " + lumo::platform::LastStoreError());
        values[Folded(name)] = Stored{type, data};
    };
    for (const ValueRow &value : value_rows) {
        if (in.Below(6) == 0) continue;  // missing
        put(Recased(in, value.name), ValueType(in), ValueBytes(in, value.size));
    }
    // Overwrites and strangers: the last write of a name counts.
    for (uint32_t n = in.Below(3); n > 0; --n) {
        const std::string name = in.Bit() ? value_rows[in.Below(static_cast<uint32_t>(value_rows.size()))].name
                                          : std::string(in.Bit() ? "foldnum" : "Title");
        put(Recased(in, name), ValueType(in), ValueBytes(in, 1024));
    }
    return values;
}

// What loading the group must give: the record and its mask.
uint32_t ExpectedLoad(const Group &group, const std::vector<ValueRow> &value_rows, void *record,
                      size_t record_size) {
    auto *bytes = static_cast<unsigned char *>(record);
    std::memset(record, 0, record_size);
    if (!group) return MASK_KEY;
    uint32_t mask = 0;
    for (const ValueRow &value : value_rows) {
        const auto found = group->find(Folded(value.name));
        if (found == group->end() || found->second.data.size() > value.size) {
            mask |= value.bit;
            continue;
        }
        std::memcpy(bytes + value.offset, found->second.data.data(), found->second.data.size());
        if (value.as != StoredAs::kNumber) bytes[value.offset + value.size - 1] = 0;
    }
    const auto size_word = static_cast<uint32_t>(record_size);
    std::memcpy(record, &size_word, sizeof size_word);
    return mask;
}

std::string FileBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The store of this process, on a memory file system when there is one:
// every value written is a transaction.
const std::string &StorePath() {
    static const std::string path = [] {
        struct stat info {};
        std::string base = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
        if (const char *tmp = std::getenv("LUMOTEXT_FUZZ_TMP")) base = tmp;
        std::string pattern = base + "/lumotext-store-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        const std::string store = pattern + "/registry.sqlite3";
        setenv("LUMOTEXT_REGISTRY", store.c_str(), 1);
        return store;
    }();
    return path;
}

void RemoveStore(const std::string &store) {
    for (const char *suffix : {"", "-journal", "-wal", "-shm"}) std::remove((store + suffix).c_str());
}

// A short text through LumoMultiLines with whatever the store gave.
void FormatWith(IndentSettings indent, FoldSettings fold, HeaderSettings header) {
    static const char kText[] =
        "\x81\x45\x8D\x80\x96\xDA abc def\r\n> quoted \x81\x42\x81\x75text\x81\x76\r\n\tend";
    std::vector<char> output(sizeof kText * 260 + 64);
    FormatRequest request{FORMAT_REQUEST_SIZE, kText, output.data(),
                          static_cast<uint32_t>(output.size()), 4, 80};
    if (fold.foldnum == 0) fold.foldnum = 20;
    const int32_t result = LumoMultiLines(&request, &indent, &fold, &header);
    FUZZ_CHECK(result == FORMAT_DONE || result == FORMAT_NO_COLUMN,
               "formatting with loaded records gave " + std::to_string(result));
}

template <typename Record>
void CheckTerminated(const Record &record, const std::vector<ValueRow> &value_rows) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(&record);
    for (const ValueRow &value : value_rows) {
        if (value.as != StoredAs::kNumber) {
            FUZZ_CHECK(std::memchr(bytes + value.offset, 0, value.size) != nullptr,
                       value.name + " loaded without a NUL inside its field");
        }
    }
}

void ValuesCase(FuzzInput &in) {
    const int32_t slot = 1 + static_cast<int32_t>(in.Below(10));
    std::string vendor_text;
    const char *vendor = nullptr;
    switch (in.Below(4)) {
    case 0: break;
    case 1: vendor = ""; break;
    default: {
        static const char *const kPieces[] = {"Acme", "b", "Z", "\x83\x5C" /* ソ: trail byte 5C */,
                                              "\x82\xA0", "x-y", "1"};
        for (uint32_t n = 1 + in.Below(3); n > 0; --n) vendor_text += kPieces[in.Below(7)];
        vendor = vendor_text.c_str();
        break;
    }
    }
    const std::string product = vendor == nullptr || *vendor == '\0'
                                    ? std::string("Software\\Copperloom\\Lumotext")
                                    : "Software\\" + std::string(vendor) + "\\Lumotext";
    const std::string slot_path = product + "\\" + std::to_string(slot);
    const std::vector<ValueRow> indent_rows = lumo_test::IndentValues();
    const std::vector<ValueRow> fold_rows = lumo_test::FoldValues();
    const std::vector<ValueRow> header_rows = lumo_test::HeaderValues();
    const Group indent_group = WriteGroup(in, slot_path + "\\indent", indent_rows);
    const Group fold_group = WriteGroup(in, slot_path + "\\foldpos", fold_rows);
    const Group header_group = WriteGroup(in, slot_path + "\\lumoheader", header_rows);

    IndentSettings indent_expected;
    FoldSettings fold_expected;
    HeaderSettings header_expected;
    const uint32_t indent_mask = ExpectedLoad(indent_group, indent_rows, &indent_expected, sizeof indent_expected);
    const uint32_t fold_mask = ExpectedLoad(fold_group, fold_rows, &fold_expected, sizeof fold_expected);
    const uint32_t header_mask = ExpectedLoad(header_group, header_rows, &header_expected, sizeof header_expected);

    // GetWholeSetting stops at the first stage that fails; later records
    // stay as they were.
    FormatRequest request{FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, in.U32() % 200};
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    std::memset(&indent, 0xBD, sizeof indent);
    std::memset(&fold, 0xBD, sizeof fold);
    std::memset(&header, 0xBD, sizeof header);
    HeaderSettings untouched_header;
    FoldSettings untouched_fold;
    std::memset(&untouched_header, 0xBD, sizeof untouched_header);
    std::memset(&untouched_fold, 0xBD, sizeof untouched_fold);
    int32_t detail = -1;
    const int32_t stage = GetWholeSetting(&request, &indent, &fold, &header, slot, vendor, &detail);
    FUZZ_CHECK(std::memcmp(&indent, &indent_expected, sizeof indent) == 0,
               "IndentSettings loaded otherwise than stored");
    if (indent_mask != 0) {
        FUZZ_CHECK(stage == 1 && detail == static_cast<int32_t>(indent_mask), "indent stage");
        FUZZ_CHECK(std::memcmp(&fold, &untouched_fold, sizeof fold) == 0, "fold record touched");
        return;
    }
    if (fold_mask != 0) {
        FUZZ_CHECK(stage == 3 && detail == static_cast<int32_t>(fold_mask), "fold stage");
        FUZZ_CHECK(std::memcmp(&fold, &fold_expected, sizeof fold) == 0,
                   "FoldSettings loaded otherwise than stored");
        FUZZ_CHECK(std::memcmp(&header, &untouched_header, sizeof header) == 0, "header record touched");
        return;
    }
    const uint32_t display = request.display_width;
    const uint32_t column = (fold_expected.tailwrap_flag & TAIL_FOLLOW_WIDTH)
                                ? (display > fold_expected.foldnum_from_tail ? display - fold_expected.foldnum_from_tail : 0)
                                : fold_expected.foldnum_from_head;
    fold_expected.foldnum = column;
    FUZZ_CHECK(std::memcmp(&fold, &fold_expected, sizeof fold) == 0,
               "FoldSettings loaded otherwise than stored, or foldnum not derived");
    if (column == 0) {
        FUZZ_CHECK(stage == 2 && detail == 0, "a fold column of 0 not refused at stage 2");
        return;
    }
    FUZZ_CHECK(std::memcmp(&header, &header_expected, sizeof header) == 0,
               "HeaderSettings loaded otherwise than stored");
    FUZZ_CHECK(stage == (header_mask != 0 ? 4 : 0) && detail == static_cast<int32_t>(header_mask),
               "header stage " + std::to_string(stage));
    FormatWith(indent, fold, header);
}

// A store file of any bytes: loads fail or succeed, but leave the file as
// it was and give all-zero records (no key) or terminated ones.
template <typename Record>
void CheckLoaded(uint32_t mask, const Record &record, const std::vector<ValueRow> &value_rows) {
    if (mask & MASK_KEY) {
        FUZZ_CHECK(mask == MASK_KEY, "a missing key reported with value bits");
        Record zero;
        std::memset(&zero, 0, sizeof zero);
        FUZZ_CHECK(std::memcmp(&record, &zero, sizeof zero) == 0, "a missing key left a record not zero");
        return;
    }
    FUZZ_CHECK(record.record_size == sizeof record, "record_size not written");
    CheckTerminated(record, value_rows);
}

void FileCase(FuzzInput &in, const std::string &store) {
    const int32_t slot = 1 + static_cast<int32_t>(in.Below(10));
    const std::string bytes = in.Rest();
    {
        std::ofstream file(store, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    CheckLoaded(lumo::LoadIndentSettings(&indent, slot, nullptr), indent, lumo_test::IndentValues());
    CheckLoaded(lumo::LoadFoldSettings(&fold, slot, nullptr), fold, lumo_test::FoldValues());
    CheckLoaded(lumo::LoadHeaderSettings(&header, slot, nullptr), header, lumo_test::HeaderValues());
    FormatRequest request{FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
    int32_t detail = 0;
    const int32_t stage = GetWholeSetting(&request, &indent, &fold, &header, slot, nullptr, &detail);
    FUZZ_CHECK(stage >= 0 && stage <= 4, "stage " + std::to_string(stage));
    FUZZ_CHECK(FileBytes(store) == bytes, "loading changed the store file");
    if (stage == 0) FormatWith(indent, fold, header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &store = StorePath();
    RemoveStore(store);
    FuzzInput in(data, size);
    if (in.Below(4) == 0) {
        FileCase(in, store);
    } else {
        ValuesCase(in);
    }
    RemoveStore(store);
    return 0;
}
