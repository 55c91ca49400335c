// The settings store off Windows, exercised through a scratch database per
// test: exact bytes of every value type, registry-style case-blind names that
// leave two-byte characters alone, parents, access rights, bad or unreachable
// store files, concurrent writers, and writers killed half-way through.
#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/sjis.h"

namespace {

namespace fs = std::filesystem;
using lumo::platform::Access;
using lumo::platform::kRegBinary;
using lumo::platform::kRegDword;
using lumo::platform::kRegSz;
using lumo::platform::LastStoreError;
using lumo::platform::RegistryKey;
using lumo::platform::SetStoreFaultHook;
using lumo::platform::StoreCall;
using lumo_test::FromHex;
using lumo_test::Hex;

constexpr char kProduct[] = "Software\\Copperloom\\Lumotext";
constexpr unsigned char kFill = 0xBD;
constexpr size_t kGuard = 16;

std::string Bytes(const char *data, size_t size) { return std::string(data, size); }

std::string Dword(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string FileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Remembers an environment variable for the length of a test.
class SavedEnv {
public:
    explicit SavedEnv(const char *name) : name_(name) {
        if (const char *value = std::getenv(name)) value_ = value;
    }
    ~SavedEnv() {
        if (value_) {
            setenv(name_, value_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    SavedEnv(const SavedEnv &) = delete;
    SavedEnv &operator=(const SavedEnv &) = delete;

private:
    const char *name_;
    std::optional<std::string> value_;
};

// Writes one value through a freshly created key, as a save does.
::testing::AssertionResult Put(const std::string &path, const char *name, uint32_t type,
                               const std::string &bytes) {
    RegistryKey key = RegistryKey::Create(path);
    if (!key.valid()) return ::testing::AssertionFailure() << "Create: " << LastStoreError();
    if (!key.Write(name, type, bytes.data(), static_cast<uint32_t>(bytes.size()))) {
        return ::testing::AssertionFailure() << "Write: " << LastStoreError();
    }
    return ::testing::AssertionSuccess();
}

// One read through a key opened for reading, into a buffer of capacity bytes
// filled with 0xBD and followed by guard bytes that must stay untouched.
struct Got {
    bool opened = false;
    bool ok = false;
    std::string bytes;  // the first *size bytes of the buffer after the read
    uint32_t size = 0;  // *size after the read
    uint32_t type = 0;
};

Got Get(const std::string &path, const char *name, uint32_t capacity) {
    Got got;
    const RegistryKey key = RegistryKey::Open(path, Access::kRead);
    got.opened = key.valid();
    if (!got.opened) return got;
    std::vector<unsigned char> buffer(capacity + kGuard, kFill);
    got.size = capacity;
    got.type = 0xDEADBEEF;
    got.ok = key.Read(name, buffer.data(), &got.size, &got.type);
    for (size_t i = capacity; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], kFill) << "read wrote past its buffer at +" << i - capacity;
    }
    if (got.ok) got.bytes.assign(reinterpret_cast<const char *>(buffer.data()), got.size);
    if (!got.ok) {
        EXPECT_EQ(got.type, 0xDEADBEEF) << "a failed read set the type";
    }
    return got;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumotext-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        store_ = dir_ + "/registry.sqlite3";
        setenv("LUMOTEXT_REGISTRY", store_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto &entry : fs::recursive_directory_iterator(dir_, ignored)) {
            if (entry.is_directory(ignored)) chmod(entry.path().c_str(), 0700);
        }
        fs::remove_all(dir_, ignored);
        SetStoreFaultHook(nullptr, nullptr);
    }

    SavedEnv saved_registry_{"LUMOTEXT_REGISTRY"};
    SavedEnv saved_xdg_{"XDG_CONFIG_HOME"};
    SavedEnv saved_home_{"HOME"};
    std::string dir_;
    std::string store_;
};

// ---------------------------------------------------------------------------
// Values keep their type and exact bytes.

struct ValueRow {
    const char *label;
    const char *name;
    uint32_t type;
    std::string bytes;
};

std::vector<ValueRow> ValueRows() {
    std::string field(1024, static_cast<char>(kFill));  // a whole field, bytes behind the NUL
    std::memcpy(field.data(), "abc\0xyz", 7);
    std::string all_bytes;
    for (int b = 0; b < 256; ++b) all_bytes += static_cast<char>(b);
    return {
        {"text and its NUL", "chars_for_quote", kRegSz, Bytes("\"'>|\0", 5)},
        {"Shift-JIS title", "Title", kRegSz, FromHex("90 DD 92 E8 8D CF 82 DD 00")},  // 設定済み
        {"whole 1024-byte field", "chars_not_for_head", kRegSz, field},
        {"text without NUL", "headerdelimiter", kRegSz, "----"},
        {"dword 7", "DefaultNumber", kRegDword, Dword(7)},
        {"dword all ones", "styles", kRegDword, Dword(0xFFFFFFFF)},
        {"dword high bit", "sub_styles", kRegDword, Dword(0x80000000)},
        {"dword zero", "wraptype", kRegDword, Dword(0)},
        {"binary of every byte", "blob", kRegBinary, all_bytes},
        {"binary of NULs", "nuls", kRegBinary, Bytes("\0\0a\0\0", 5)},
        {"binary high bytes", "high", kRegBinary, FromHex("80 FF 81 40 FC FC 00 A0")},
        {"empty binary", "empty", kRegBinary, ""},
        {"empty text", "nothing", kRegSz, ""},
        {"default value", "", kRegSz, Bytes("default\0", 8)},
        {"odd type number", "odd", 0x12345678, "x"},
    };
}

TEST_F(RegistryTest, ValuesComeBackWithTheirTypeAndExactBytes) {
    const std::string path = std::string(kProduct) + "\\1\\indent";
    const std::vector<ValueRow> rows = ValueRows();
    for (const ValueRow &row : rows) {
        ASSERT_TRUE(Put(path, row.name, row.type, row.bytes)) << row.label;
    }
    for (const ValueRow &row : rows) {
        SCOPED_TRACE(row.label);
        const auto size = static_cast<uint32_t>(row.bytes.size());
        const Got exact = Get(path, row.name, size);
        ASSERT_TRUE(exact.opened) << LastStoreError();
        EXPECT_TRUE(exact.ok) << "buffer of exactly the value's size: " << LastStoreError();
        EXPECT_EQ(Hex(exact.bytes), Hex(row.bytes));
        EXPECT_EQ(exact.size, size);
        EXPECT_EQ(exact.type, row.type);

        const Got roomy = Get(path, row.name, size + 100);
        EXPECT_TRUE(roomy.ok);
        EXPECT_EQ(roomy.size, size) << "the size after a read is the value's, not the buffer's";
        EXPECT_EQ(Hex(roomy.bytes), Hex(row.bytes));

        if (size > 0) {
            const Got short_by_one = Get(path, row.name, size - 1);
            EXPECT_FALSE(short_by_one.ok) << "buffer one byte too small";
            EXPECT_EQ(short_by_one.size, size - 1) << "a failed read changed the size";
        }
    }
}

TEST_F(RegistryTest, OverwritingReplacesTypeAndLength) {
    const std::string path = std::string(kProduct) + "\\2\\foldpos";
    ASSERT_TRUE(Put(path, "value", kRegSz, std::string(1024, 'a')));
    ASSERT_TRUE(Put(path, "value", kRegDword, Dword(42)));
    Got got = Get(path, "value", 1024);
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.type, kRegDword);
    EXPECT_EQ(Hex(got.bytes), Hex(Dword(42))) << "the longer old bytes must not linger";
    ASSERT_TRUE(Put(path, "value", kRegBinary, ""));
    got = Get(path, "value", 8);
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.size, 0u);
    EXPECT_EQ(got.type, kRegBinary);
}

TEST_F(RegistryTest, ReadFailsForMissingValuesAndLeavesTheSize) {
    const std::string path = std::string(kProduct) + "\\3\\indent";
    ASSERT_TRUE(Put(path, "styles", kRegDword, Dword(1)));
    const Got missing = Get(path, "sub_styles", 4);
    EXPECT_TRUE(missing.opened);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.size, 4u);
    EXPECT_NE(LastStoreError().find("sub_styles"), std::string::npos) << LastStoreError();
    EXPECT_FALSE(Get(path, "", 64).ok) << "no default value was written";
    EXPECT_FALSE(Get(path, "styles ", 64).ok) << "a trailing blank makes another name";
}

TEST_F(RegistryTest, NullBufferAsksForTheLengthOnly) {
    const std::string path = std::string(kProduct) + "\\4";
    ASSERT_TRUE(Put(path, "Title", kRegSz, Bytes("slot four\0", 10)));
    const RegistryKey key = RegistryKey::Open(path, Access::kRead);
    ASSERT_TRUE(key.valid());
    uint32_t size = 1;
    uint32_t type = 0;
    EXPECT_TRUE(key.Read("Title", nullptr, &size, &type));
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(type, kRegSz);
    EXPECT_FALSE(key.Read("Title", nullptr, nullptr)) << "a read needs a size";
}

TEST_F(RegistryTest, NullAndEmptyNamesAreTheDefaultValue) {
    const std::string path = std::string(kProduct) + "\\5";
    RegistryKey key = RegistryKey::Create(path);
    ASSERT_TRUE(key.valid());
    ASSERT_TRUE(key.Write(nullptr, kRegSz, "d", 1));
    Got got = Get(path, "", 1);
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.bytes, "d");
    ASSERT_TRUE(key.Write("", kRegSz, "e", 1));
    const RegistryKey reader = RegistryKey::Open(path, Access::kRead);
    char byte = 0;
    uint32_t size = 1;
    EXPECT_TRUE(reader.Read(nullptr, &byte, &size));
    EXPECT_EQ(byte, 'e');
}

// ---------------------------------------------------------------------------
// Names compare without regard to ASCII case, except inside two-byte
// characters, whose second byte may look like a letter (or a backslash).

struct NameRow {
    const char *label;
    std::string written;
    std::string read;
    bool same;
};

TEST_F(RegistryTest, ValueNamesFoldAsciiCaseButNotTrailBytes) {
    const NameRow rows[] = {
        {"all lower", "DefaultNumber", "defaultnumber", true},
        {"all upper", "DefaultNumber", "DEFAULTNUMBER", true},
        {"mixed", "foldnum_from_head", "FoldNum_From_Head", true},
        {"digits and punctuation", "indent_string-3", "INDENT_STRING-3", true},
        {"one letter differs", "indent_string-3", "indent_string-4", false},
        {"trail 41 vs 61", FromHex("83 41"), FromHex("83 61"), false},          // ア vs ヂ
        {"trail bytes of テスト", FromHex("83 65 83 58 83 67"), FromHex("83 45 83 58 83 47"),
         false},                                                                // テスト vs ウスエ
        {"letters after a two-byte character", FromHex("83 41") + "title",
         FromHex("83 41") + "TITLE", true},
        {"half-width kana is one byte", "\xB1" "a", "\xB1" "A", true},           // ｱa vs ｱA
        {"full-width letters are not ASCII", FromHex("82 60"), FromHex("82 81"), false},  // Ａ vs ａ
        {"letters beside a lead byte at the end", "ab\x83", "AB\x83", true},
    };
    int index = 0;
    for (const NameRow &row : rows) {
        SCOPED_TRACE(std::string(row.label) + ": wrote " + Hex(row.written) + ", read " +
                     Hex(row.read));
        const std::string path = std::string(kProduct) + "\\names\\" + std::to_string(++index);
        ASSERT_TRUE(Put(path, row.written.c_str(), kRegSz, row.label));
        const Got got = Get(path, row.read.c_str(), 64);
        EXPECT_EQ(got.ok, row.same);
        if (row.same) {
            EXPECT_EQ(got.bytes, row.label);
        }
    }
}

TEST_F(RegistryTest, NamesDifferingOnlyInATrailByteAreTwoValues) {
    const std::string path = std::string(kProduct) + "\\6";
    const std::string upper = FromHex("83 41");  // ア
    const std::string lower = FromHex("83 61");  // ヂ
    ASSERT_TRUE(Put(path, upper.c_str(), kRegSz, "first"));
    ASSERT_TRUE(Put(path, lower.c_str(), kRegSz, "second"));
    EXPECT_EQ(Get(path, upper.c_str(), 16).bytes, "first");
    EXPECT_EQ(Get(path, lower.c_str(), 16).bytes, "second");
}

TEST_F(RegistryTest, WritingThroughAnotherCaseUpdatesTheSameValue) {
    const std::string path = std::string(kProduct) + "\\7";
    ASSERT_TRUE(Put(path, "Title", kRegSz, "old"));
    ASSERT_TRUE(Put(path, "TITLE", kRegSz, "new"));
    EXPECT_EQ(Get(path, "title", 16).bytes, "new");
}

TEST_F(RegistryTest, KeyPathsFoldAsciiCaseButNotTrailBytes) {
    const NameRow rows[] = {
        {"documented example", "Software\\Copperloom", "software\\COPPERLOOM", true},
        {"deeper", std::string(kProduct) + "\\3\\indent",
         "SOFTWARE\\copperloom\\LUMOTEXT\\3\\Indent", true},
        {"sibling", "Software\\Copperloom", "Software\\Copperloom2", false},
        {"trail 41 vs 61", "Software\\" + FromHex("83 41"), "Software\\" + FromHex("83 61"), false},
        {"letters after a two-byte character", "Software\\" + FromHex("83 41") + "Lumo",
         "software\\" + FromHex("83 41") + "lumo", true},
    };
    for (const NameRow &row : rows) {
        SCOPED_TRACE(std::string(row.label) + ": created " + row.written + ", opened " + row.read);
        ASSERT_TRUE(RegistryKey::Create(row.written).valid()) << LastStoreError();
        EXPECT_EQ(RegistryKey::Open(row.read, Access::kRead).valid(), row.same);
    }
}

TEST_F(RegistryTest, ABackslashTrailByteDoesNotSplitTheKeyName) {
    const std::string software = "Software\\" + FromHex("83 5C 83 74 83 67");  // ソフト
    ASSERT_TRUE(Put(software + "\\" + FromHex("95 5C"), "v", kRegSz, "x"));   // 表
    EXPECT_TRUE(RegistryKey::Open(software, Access::kRead).valid());
    EXPECT_FALSE(RegistryKey::Open("Software\\" + FromHex("83"), Access::kRead).valid())
        << "ソ was cut at its second byte 5C";
    EXPECT_FALSE(RegistryKey::Open(software + "\\" + FromHex("95"), Access::kRead).valid());
    EXPECT_EQ(Get(software + "\\" + FromHex("95 5C"), "v", 4).bytes, "x");
}

TEST_F(RegistryTest, KeysKeepTheSpellingTheyWereCreatedWith) {
    ASSERT_TRUE(RegistryKey::Create("Software\\Copperloom").valid());
    ASSERT_TRUE(RegistryKey::Create("SOFTWARE\\COPPERLOOM\\Lumotext").valid());
    ASSERT_TRUE(Put("software\\copperloom\\lumotext", "DefaultNumber", kRegDword, Dword(3)));
    ASSERT_TRUE(Put("software\\copperloom\\lumotext", "DEFAULTNUMBER", kRegDword, Dword(4)));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(store_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::vector<std::string> names;
    const char *sql =
        "SELECT CAST(name AS TEXT) FROM reg_keys"
        " UNION ALL SELECT CAST(name AS TEXT) FROM reg_values";
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        names.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Software", "Copperloom", "Lumotext", "DefaultNumber"}));
}

// ---------------------------------------------------------------------------
// Keys, parents and access.

TEST_F(RegistryTest, OpenOfAMissingKeyIsInvalid) {
    EXPECT_FALSE(RegistryKey::Open(kProduct, Access::kRead).valid()) << "no store yet";
    EXPECT_FALSE(fs::exists(store_)) << "opening must not make the store";
    ASSERT_TRUE(RegistryKey::Create("Software\\Other").valid());
    for (const Access access : {Access::kRead, Access::kWrite, Access::kAll}) {
        SCOPED_TRACE(static_cast<int>(access));
        EXPECT_FALSE(RegistryKey::Open(kProduct, access).valid());
        EXPECT_NE(LastStoreError().find("does not exist"), std::string::npos) << LastStoreError();
        EXPECT_FALSE(RegistryKey::Open("Software\\Copperloom", access).valid());
        EXPECT_TRUE(RegistryKey::Open("Software\\Other", access).valid());
    }
}

TEST_F(RegistryTest, CreateMakesEveryParent) {
    const std::string path = std::string(kProduct) + "\\10\\lumoheader";
    ASSERT_TRUE(Put(path, "lumoheader", kRegDword, Dword(1)));
    for (const char *parent : {"Software", "Software\\Copperloom", kProduct,
                               "Software\\Copperloom\\Lumotext\\10"}) {
        SCOPED_TRACE(parent);
        EXPECT_TRUE(RegistryKey::Open(parent, Access::kRead).valid()) << LastStoreError();
        EXPECT_FALSE(Get(parent, "lumoheader", 4).ok) << "a child's value showed in its parent";
    }
    EXPECT_FALSE(RegistryKey::Open(std::string(kProduct) + "\\1", Access::kRead).valid());
    EXPECT_FALSE(RegistryKey::Open(std::string(kProduct) + "\\10\\lumo", Access::kRead).valid());
}

TEST_F(RegistryTest, CreateOfAnExistingKeyKeepsItsValues) {
    const std::string path = std::string(kProduct) + "\\8";
    ASSERT_TRUE(Put(path, "Title", kRegSz, "kept"));
    ASSERT_TRUE(RegistryKey::Create(path).valid());
    ASSERT_TRUE(Put(path + "\\indent", "styles", kRegDword, Dword(2)));
    EXPECT_EQ(Get(path, "Title", 16).bytes, "kept");
}

TEST_F(RegistryTest, SameValueNameInTwoKeysIsTwoValues) {
    ASSERT_TRUE(Put(std::string(kProduct) + "\\1", "Title", kRegSz, "one"));
    ASSERT_TRUE(Put(std::string(kProduct) + "\\2", "Title", kRegSz, "two"));
    EXPECT_EQ(Get(std::string(kProduct) + "\\1", "Title", 16).bytes, "one");
    EXPECT_EQ(Get(std::string(kProduct) + "\\2", "Title", 16).bytes, "two");
}

TEST_F(RegistryTest, PathsWithAnEmptyKeyNameAreRefused) {
    ASSERT_TRUE(RegistryKey::Create("Other").valid());
    for (const char *path : {"\\Software", "Software\\\\Copperloom", "Software\\"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(RegistryKey::Create(path).valid());
    }
    EXPECT_FALSE(RegistryKey::Open("Software", Access::kRead).valid())
        << "a refused path created part of itself";
}

TEST_F(RegistryTest, AccessDecidesWhatAKeyMayDo) {
    const std::string path = std::string(kProduct) + "\\9";
    ASSERT_TRUE(Put(path, "Title", kRegSz, "nine"));
    struct AccessRow {
        const char *label;
        std::function<RegistryKey()> open;
        bool can_read;
        bool can_write;
    };
    const AccessRow rows[] = {
        {"Create (write only, as KEY_WRITE)", [&] { return RegistryKey::Create(path); }, false,
         true},
        {"Open kRead", [&] { return RegistryKey::Open(path, Access::kRead); }, true, false},
        {"Open kWrite", [&] { return RegistryKey::Open(path, Access::kWrite); }, false, true},
        {"Open kAll", [&] { return RegistryKey::Open(path, Access::kAll); }, true, true},
    };
    for (const AccessRow &row : rows) {
        SCOPED_TRACE(row.label);
        RegistryKey key = row.open();
        ASSERT_TRUE(key.valid()) << LastStoreError();
        char buffer[16];
        uint32_t size = sizeof buffer;
        EXPECT_EQ(key.Read("Title", buffer, &size), row.can_read);
        EXPECT_EQ(key.Write("Probe", kRegDword, "\1\0\0\0", 4), row.can_write);
    }
}

TEST_F(RegistryTest, AMovedKeyLeavesAnInvalidOne) {
    const std::string path = std::string(kProduct) + "\\moved";
    RegistryKey first = RegistryKey::Create(path);
    ASSERT_TRUE(first.valid());
    RegistryKey second = std::move(first);
    EXPECT_FALSE(first.valid());  // NOLINT(bugprone-use-after-move): that is the point
    EXPECT_TRUE(second.valid());
    EXPECT_FALSE(first.Write("x", kRegSz, "x", 1));
    uint32_t size = 1;
    char byte = 0;
    EXPECT_FALSE(first.Read("x", &byte, &size));
    EXPECT_TRUE(second.Write("x", kRegSz, "y", 1));
    first = RegistryKey::Open(path, Access::kRead);
    EXPECT_TRUE(first.Read("x", &byte, &size));
    EXPECT_EQ(byte, 'y');
}

// ---------------------------------------------------------------------------
// Where the store lives, and stores that cannot be used.

TEST_F(RegistryTest, StoreLocationFollowsTheEnvironment) {
    struct LocationRow {
        const char *label;
        const char *registry;  // null: unset
        const char *xdg;       // relative to the scratch directory unless it is "relative"
        const char *home;
        const char *expected;  // relative to the scratch directory
    };
    const LocationRow rows[] = {
        {"explicit path in an existing directory", "store.db", "xdg", "home", "store.db"},
        {"XDG configuration directory", nullptr, "xdg", "home", "xdg/lumotext/registry.sqlite3"},
        {"empty explicit path", "", "xdg2", "home", "xdg2/lumotext/registry.sqlite3"},
        {"relative XDG directory ignored", nullptr, "relative", "home2",
         "home2/.config/lumotext/registry.sqlite3"},
        {"home directory", nullptr, nullptr, "home3", "home3/.config/lumotext/registry.sqlite3"},
    };
    // Work inside the scratch directory, so that a relative directory wrongly
    // taken lands there, where it is seen and removed.
    const fs::path previous = fs::current_path();
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    struct Return {
        fs::path to;
        ~Return() { std::filesystem::current_path(to); }
    } back{previous};
    for (const LocationRow &row : rows) {
        SCOPED_TRACE(row.label);
        const auto in_dir = [&](const char *relative) { return dir_ + "/" + relative; };
        if (row.registry == nullptr) {
            unsetenv("LUMOTEXT_REGISTRY");
        } else {
            setenv("LUMOTEXT_REGISTRY", *row.registry ? in_dir(row.registry).c_str() : "", 1);
        }
        if (row.xdg == nullptr) {
            unsetenv("XDG_CONFIG_HOME");
        } else {
            setenv("XDG_CONFIG_HOME",
                   std::strcmp(row.xdg, "relative") == 0 ? "relative" : in_dir(row.xdg).c_str(), 1);
        }
        setenv("HOME", in_dir(row.home).c_str(), 1);
        const std::string expected = in_dir(row.expected);
        ASSERT_TRUE(Put(kProduct, "DefaultNumber", kRegDword, Dword(5))) << expected;
        EXPECT_TRUE(fs::is_regular_file(expected)) << expected;
        struct stat info {};
        ASSERT_EQ(stat(fs::path(expected).parent_path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << "the store's directory is private";
        EXPECT_FALSE(fs::exists(in_dir("relative"))) << "a relative XDG directory was used";
    }
}

// Former bug: a LUMOTEXT_REGISTRY in a folder that did not exist made the
// folder (and every missing one above it) without a word.
TEST_F(RegistryTest, AMissingFolderOfANamedStoreIsAnErrorNamingItAndIsNotMade) {
    const std::string folder = dir_ + "/nonexistent/dir";
    setenv("LUMOTEXT_REGISTRY", (folder + "/reg.db").c_str(), 1);
    EXPECT_FALSE(RegistryKey::Create(kProduct).valid());
    EXPECT_NE(LastStoreError().find(folder), std::string::npos) << LastStoreError();
    EXPECT_NE(LastStoreError().find("No such file or directory"), std::string::npos) << LastStoreError();
    EXPECT_FALSE(RegistryKey::Open(kProduct, Access::kRead).valid());
    EXPECT_FALSE(fs::exists(dir_ + "/nonexistent"));
}

TEST_F(RegistryTest, ARefusedFileIsLeftExactlyAsItWas) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) % 251);
    std::string not_ours_db = dir_ + "/other.sqlite3";
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(not_ours_db.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    std::string newer_db = dir_ + "/newer.sqlite3";
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(newer_db.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE reg_keys(x); PRAGMA user_version = 7", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    // A store of ours whose first page is ruined behind the file header.
    ASSERT_TRUE(Put(kProduct, "DefaultNumber", kRegDword, Dword(5)));
    std::string ruined = FileBytes(store_);
    ASSERT_GT(ruined.size(), 200u);
    std::memset(ruined.data() + 100, 0xFF, ruined.size() - 100);

    struct BadRow {
        const char *label;
        std::string file;
        std::string bytes;  // written to the file first, unless empty
        const char *reason;
    };
    const BadRow rows[] = {
        {"garbage", dir_ + "/garbage.sqlite3", garbage, "not a database"},
        {"text file", dir_ + "/text.sqlite3", std::string(600, 'x'), "not a database"},
        {"ruined store", dir_ + "/ruined.sqlite3", ruined, "damaged"},
        {"someone else's database", not_ours_db, "", "not a settings store"},
        {"store of a newer version", newer_db, "", "newer version"},
    };
    for (const BadRow &row : rows) {
        SCOPED_TRACE(row.label);
        if (!row.bytes.empty()) WriteFileBytes(row.file, row.bytes);
        const std::string before = FileBytes(row.file);
        setenv("LUMOTEXT_REGISTRY", row.file.c_str(), 1);
        EXPECT_FALSE(RegistryKey::Create(kProduct).valid());
        EXPECT_NE(LastStoreError().find(row.file), std::string::npos) << LastStoreError();
        EXPECT_NE(LastStoreError().find(row.reason), std::string::npos) << LastStoreError();
        for (const Access access : {Access::kRead, Access::kWrite, Access::kAll}) {
            EXPECT_FALSE(RegistryKey::Open(kProduct, access).valid());
            EXPECT_FALSE(RegistryKey::Open("", access).valid());
        }
        EXPECT_TRUE(FileBytes(row.file) == before) << "the file was changed";
        EXPECT_FALSE(fs::exists(row.file + "-journal")) << "a journal was left behind";
    }
}

TEST_F(RegistryTest, AnEmptyFileBecomesAStore) {
    WriteFileBytes(store_, "");
    ASSERT_TRUE(Put(kProduct, "DefaultNumber", kRegDword, Dword(9)));
    EXPECT_EQ(Get(kProduct, "DefaultNumber", 4).bytes, Dword(9));
}

TEST_F(RegistryTest, AStoreThatCannotBeMadeGivesInvalidKeys) {
    const std::string file = dir_ + "/plain-file";
    WriteFileBytes(file, "not a directory");
    const std::string store = file + "/lumotext/registry.sqlite3";
    setenv("LUMOTEXT_REGISTRY", store.c_str(), 1);
    EXPECT_FALSE(RegistryKey::Create(kProduct).valid());
    EXPECT_NE(LastStoreError().find(file), std::string::npos) << LastStoreError();
    EXPECT_FALSE(RegistryKey::Open(kProduct, Access::kRead).valid());

    setenv("LUMOTEXT_REGISTRY", dir_.c_str(), 1);  // a directory where the file should be
    EXPECT_FALSE(RegistryKey::Create(kProduct).valid());
    EXPECT_FALSE(RegistryKey::Open(kProduct, Access::kRead).valid());
}

// Runs body in a child process without the power to override permissions
// (as the user nobody when the tests run as root) and returns its exit code.
int RunUnprivileged(const std::function<int()> &body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 101;
    return WEXITSTATUS(status);
}

TEST_F(RegistryTest, AnUnwritableDirectoryGivesInvalidKeys) {
    ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
    const std::string locked = dir_ + "/locked";
    ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    const std::string store = locked + "/registry.sqlite3";
    setenv("LUMOTEXT_REGISTRY", store.c_str(), 1);
    const int code = RunUnprivileged([&] {
        if (RegistryKey::Create(kProduct).valid()) return 1;
        if (LastStoreError().find(store) == std::string::npos) return 2;
        if (RegistryKey::Open(kProduct, Access::kRead).valid()) return 3;
        if (RegistryKey::Open(kProduct, Access::kAll).valid()) return 4;
        return 0;
    });
    EXPECT_EQ(code, 0) << "1 Create valid, 2 reason without path, 3/4 Open valid";
    EXPECT_FALSE(fs::exists(store));
}

TEST_F(RegistryTest, AReadOnlyStoreCanBeReadButNotWritten) {
    ASSERT_TRUE(Put(kProduct, "DefaultNumber", kRegDword, Dword(6)));
    ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
    ASSERT_EQ(chmod(store_.c_str(), 0444), 0);
    const std::string before = FileBytes(store_);
    const int code = RunUnprivileged([&] {
        if (RegistryKey::Create(kProduct).valid()) return 1;
        if (LastStoreError().find("read-only") == std::string::npos) return 2;
        if (RegistryKey::Open(kProduct, Access::kWrite).valid()) return 3;
        if (RegistryKey::Open(kProduct, Access::kAll).valid()) return 4;
        const RegistryKey key = RegistryKey::Open(kProduct, Access::kRead);
        uint32_t number = 0;
        uint32_t size = 4;
        if (!key.valid() || !key.Read("DefaultNumber", &number, &size) || number != 6) return 5;
        return 0;
    });
    EXPECT_EQ(code, 0) << "1 Create valid, 2 reason, 3/4 writable Open valid, 5 read failed";
    EXPECT_TRUE(FileBytes(store_) == before);
}

// ---------------------------------------------------------------------------
// Writers at once, and writers that die.

// The bytes that writer w stores as its value i.
std::string Payload(int writer, int i) {
    return "writer " + std::to_string(writer) + " value " + std::to_string(i) +
           std::string(static_cast<size_t>(i % 37), static_cast<char>(0x80 + writer));
}

constexpr int kValuesPerWriter = 200;

// Writes all of one writer's values, each through its own Create as a save
// does, and returns how many writes failed.
int WriteAll(int writer) {
    int failures = 0;
    const std::string path = std::string(kProduct) + "\\" + std::to_string(writer + 1) + "\\indent";
    for (int i = 0; i < kValuesPerWriter; ++i) {
        const std::string name = "value-" + std::to_string(i);
        if (!Put(path, name.c_str(), kRegBinary, Payload(writer, i))) ++failures;
    }
    return failures;
}

void ExpectAllWritten(int writers) {
    for (int writer = 0; writer < writers; ++writer) {
        const std::string path =
            std::string(kProduct) + "\\" + std::to_string(writer + 1) + "\\indent";
        const RegistryKey key = RegistryKey::Open(path, Access::kRead);
        ASSERT_TRUE(key.valid()) << path << ": " << LastStoreError();
        int lost = 0;
        for (int i = 0; i < kValuesPerWriter; ++i) {
            const std::string name = "value-" + std::to_string(i);
            const std::string expected = Payload(writer, i);
            std::vector<char> buffer(expected.size());
            auto size = static_cast<uint32_t>(buffer.size());
            if (!key.Read(name.c_str(), buffer.data(), &size) ||
                std::string(buffer.data(), size) != expected) {
                ++lost;
            }
        }
        EXPECT_EQ(lost, 0) << "writer " << writer;
    }
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
    constexpr int kWriters = 2;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int writer = 0; writer < kWriters; ++writer) {
        threads.emplace_back([writer, &failures] { failures += WriteAll(writer); });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    ExpectAllWritten(kWriters);
}

TEST_F(RegistryTest, ProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 2;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(WriteAll(writer) == 0 ? 0 : 1);
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer had failures";
    }
    ExpectAllWritten(kWriters);
}

// A writer killed at some moment leaves every value either as one of its
// complete writes or as it was; never a mixture, never a broken store.
TEST_F(RegistryTest, AWriterKilledHalfWayLeavesWholeValues) {
    constexpr uint32_t kSize = 256 * 1024;
    constexpr int kNames = 4;
    const std::string path = std::string(kProduct) + "\\killed";
    for (const int delay_ms : {0, 3, 9, 17, 29}) {
        SCOPED_TRACE("killed after " + std::to_string(delay_ms) + " ms");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            std::string data(kSize, '\0');
            for (uint32_t round = 1;; ++round) {
                std::memset(data.data(), static_cast<int>(round & 0xFF), data.size());
                std::memcpy(data.data(), &round, sizeof round);
                const std::string name = "blob-" + std::to_string(round % kNames);
                if (!Put(path, name.c_str(), kRegBinary, data)) _exit(1);
                if (round == kNames && write(ready[1], "r", 1) != 1) _exit(2);
            }
        }
        close(ready[1]);
        char signal_byte = 0;
        ASSERT_EQ(read(ready[0], &signal_byte, 1), 1) << "the writer failed before it was ready";
        close(ready[0]);
        usleep(static_cast<useconds_t>(delay_ms) * 1000);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own: " << status;

        const RegistryKey key = RegistryKey::Open(path, Access::kRead);
        ASSERT_TRUE(key.valid()) << LastStoreError();
        for (int n = 0; n < kNames; ++n) {
            const std::string name = "blob-" + std::to_string(n);
            std::string data(kSize, '\0');
            uint32_t size = kSize;
            ASSERT_TRUE(key.Read(name.c_str(), data.data(), &size))
                << name << ": " << LastStoreError();
            ASSERT_EQ(size, kSize) << name;
            uint32_t round = 0;
            std::memcpy(&round, data.data(), sizeof round);
            EXPECT_EQ(round % kNames, static_cast<uint32_t>(n)) << name;
            EXPECT_EQ(data.find_first_not_of(static_cast<char>(round & 0xFF), sizeof round),
                      std::string::npos)
                << name << " mixes the bytes of two writes (round " << round << ")";
        }
        EXPECT_TRUE(Put(path, "after", kRegSz, "still usable")) << "the store stayed broken";
    }
}

// ---------------------------------------------------------------------------
// The test seam and the failure reason.

struct FaultPlan {
    StoreCall call;
    std::string name;  // for reads and writes; empty matches every name
    int fired = 0;
};

bool FailPlanned(StoreCall call, const std::string & /*path*/, const char *name, void *context) {
    auto *plan = static_cast<FaultPlan *>(context);
    if (call != plan->call) return false;
    if (!plan->name.empty() && (name == nullptr || plan->name != name)) return false;
    ++plan->fired;
    return true;
}

TEST_F(RegistryTest, AFaultHookFailsTheChosenCallsOnly) {
    const std::string path = std::string(kProduct) + "\\1\\foldpos";
    FaultPlan plan{StoreCall::kWrite, "tailwrap_flag"};
    SetStoreFaultHook(FailPlanned, &plan);
    RegistryKey key = RegistryKey::Create(path);
    ASSERT_TRUE(key.valid());
    EXPECT_TRUE(key.Write("wraptype", kRegDword, "\1\0\0\0", 4));
    EXPECT_FALSE(key.Write("tailwrap_flag", kRegDword, "\1\0\0\0", 4));
    EXPECT_NE(LastStoreError().find("test"), std::string::npos) << LastStoreError();
    EXPECT_EQ(plan.fired, 1);
    EXPECT_FALSE(Get(path, "tailwrap_flag", 4).ok) << "the failed write reached the store";
    EXPECT_EQ(Get(path, "wraptype", 4).bytes, Dword(1));

    // Only this thread's calls are affected.
    bool other_thread_wrote = false;
    std::thread([&] {
        other_thread_wrote = Put(path, "tailwrap_flag", kRegDword, Dword(2));
    }).join();
    EXPECT_TRUE(other_thread_wrote);

    FaultPlan open_plan{StoreCall::kOpen, ""};
    SetStoreFaultHook(FailPlanned, &open_plan);
    EXPECT_FALSE(RegistryKey::Open(path, Access::kRead).valid());
    EXPECT_TRUE(RegistryKey::Create(path).valid());
    EXPECT_EQ(open_plan.fired, 1);
    SetStoreFaultHook(nullptr, nullptr);
    EXPECT_EQ(Get(path, "tailwrap_flag", 4).bytes, Dword(2));
}

TEST_F(RegistryTest, TheFailureReasonBelongsToItsThread) {
    EXPECT_FALSE(RegistryKey::Open("Software\\Nowhere", Access::kRead).valid());
    const std::string mine = LastStoreError();
    EXPECT_NE(mine.find("Software\\Nowhere"), std::string::npos) << mine;
    std::string theirs;
    std::thread([&] {
        EXPECT_FALSE(RegistryKey::Open("Software\\Elsewhere", Access::kRead).valid());
        theirs = LastStoreError();
    }).join();
    EXPECT_NE(theirs.find("Software\\Elsewhere"), std::string::npos) << theirs;
    EXPECT_EQ(LastStoreError(), mine);
    ASSERT_TRUE(RegistryKey::Create("Software\\Somewhere").valid());
    EXPECT_EQ(LastStoreError(), mine) << "a success cleared the reason";
}

}  // namespace
