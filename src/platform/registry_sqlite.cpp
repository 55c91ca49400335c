// The settings store off Windows: one SQLite database per user that answers
// the few registry calls the setting slots make, with the registry's rules
// (case-blind names, parents that exist with their children, typed values of
// exact bytes, all-or-nothing writes) and without ever harming a bad file.
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/lead_byte.h"
#include "platform/registry.h"
#include "platform/store_failure.h"

namespace lumo::platform {
namespace {

// other's failures or faults.

// Schema 1: keys form a tree below the implicit root 0 (HKEY_CURRENT_USER
// itself); each key and value keeps the spelling it was created with and is
// found through its folded spelling.
constexpr int kSchemaVersion = 1;
constexpr char kSchema[] =
    "CREATE TABLE reg_keys("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER NOT NULL,"
    "  name BLOB NOT NULL,"
    "  folded BLOB NOT NULL,"
    "  UNIQUE(parent, folded));"
    "CREATE TABLE reg_values("
    "  key INTEGER NOT NULL,"
    "  name BLOB NOT NULL,"
    "  folded BLOB NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, folded)) WITHOUT ROWID;"
    "PRAGMA user_version = 1;";

// Long enough to outwait another process saving a whole slot.
constexpr int kBusyTimeoutMs = 5000;

// Names compare as the registry compares them in code page 932: ASCII letters
// regardless of case, but never the second byte of a two-byte character,
// which may well be 0x41..0x5A or 0x61..0x7A.
std::string Fold(std::string_view text) {
    std::string folded(text);
    for (size_t i = 0; i < folded.size(); ++i) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (IsLeadByte(byte) && i + 1 < folded.size()) {
            ++i;
        } else if (byte >= 'a' && byte <= 'z') {
            folded[i] = static_cast<char>(byte - 'a' + 'A');
        }
    }
    return folded;
}

// The key names of a path. A backslash that is the second byte of a two-byte
// character (0x5C is one) does not separate. The empty path is the root; an
// empty name anywhere else is refused.
bool SplitPath(const std::string &path, std::vector<std::string> *names) {
    names->clear();
    if (path.empty()) return true;
    std::string name;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(byte) && i + 1 < path.size()) {
            name += path[i];
            name += path[++i];
        } else if (byte == '\\') {
            if (name.empty()) break;
            names->push_back(std::move(name));
            name.clear();
        } else {
            name += path[i];
        }
    }
    if (name.empty()) {
        store::Fail(StoreFailure::kUnavailable, "the key path \"" + path + "\" has an empty key name");
        return false;
    }
    names->push_back(std::move(name));
    return true;
}

std::string QuoteName(const char *name) { return "\"" + std::string(name) + "\""; }

// Where the store lives: $LUMOTEXT_REGISTRY, else under the XDG configuration
// directory, else under ~/.config. *named tells the first: a folder that
// the user named is theirs to make, the default one is ours.
bool StorePath(std::string *path, bool *named = nullptr) {
    const char *explicit_path = std::getenv("LUMOTEXT_REGISTRY");
    if (named != nullptr) *named = explicit_path != nullptr && *explicit_path != '\0';
    if (explicit_path != nullptr && *explicit_path != '\0') {
        *path = explicit_path;
        return true;
    }
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        *path = std::string(config) + "/lumotext/registry.sqlite3";
        return true;
    }
    std::string home;
    if (const char *env_home = std::getenv("HOME"); env_home != nullptr && *env_home != '\0') {
        home = env_home;
    } else {
        std::vector<char> scratch(16384);
        passwd entry{};
        passwd *found = nullptr;
        if (getpwuid_r(getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found != nullptr &&
            found->pw_dir != nullptr) {
            home = found->pw_dir;
        }
    }
    if (home.empty()) {
        store::Fail(StoreFailure::kUnavailable,
                    "there is no home directory to hold the settings store (set LUMOTEXT_REGISTRY)");
        return false;
    }
    *path = home + "/.config/lumotext/registry.sqlite3";
    return true;
}

std::string SystemReason(int error) { return std::strerror(error); }

// The folder of a store that $LUMOTEXT_REGISTRY names must exist: a
// mistyped path is an error that names it, not a tree of new folders.
bool NamedStoreDirectoryExists(const std::string &store) {
    const size_t slash = store.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    const std::string directory = store.substr(0, slash);
    struct stat info {};
    int reason = ENOTDIR;
    if (stat(directory.c_str(), &info) != 0) {
        reason = errno;
    } else if (S_ISDIR(info.st_mode)) {
        return true;
    }
    store::Fail(StoreFailure::kUnavailable, "the folder " + directory + " of the settings store " + store +
                                                " (LUMOTEXT_REGISTRY) cannot be used: " + SystemReason(reason));
    return false;
}

// Makes the directory that holds the store, and any missing directory above
// it, private to the user.
bool MakeStoreDirectory(const std::string &store) {
    const size_t slash = store.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    const std::string directory = store.substr(0, slash);
    for (size_t end = 1;; ++end) {
        end = directory.find('/', end);
        const std::string prefix = directory.substr(0, end);
        struct stat info {};
        if (stat(prefix.c_str(), &info) != 0) {
            if (errno != ENOENT || (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)) {
                store::Fail(StoreFailure::kUnavailable,
                            "cannot make the directory " + prefix +
                                " for the settings store: " + SystemReason(errno));
                return false;
            }
        } else if (!S_ISDIR(info.st_mode)) {
            store::Fail(StoreFailure::kUnavailable, "cannot make the directory " + prefix +
                                                        " for the settings store: " + SystemReason(ENOTDIR));
            return false;
        }
        if (end == std::string::npos) return true;
    }
}

// Words for an SQLite failure on the store.
std::string DatabaseFailure(sqlite3 *db, int rc, const std::string &store) {
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
            return "the settings store " + store + " is not a database";
        case SQLITE_CORRUPT:
            return "the settings store " + store + " is damaged";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "the settings store " + store + " stayed locked by another program for " +
                   std::to_string(kBusyTimeoutMs / 1000) + " s";
        case SQLITE_READONLY:
            return "the settings store " + store + " is read-only";
        case SQLITE_FULL:
            return "the disk holding the settings store " + store + " is full";
        case SQLITE_NOMEM:
            return "out of memory while using the settings store " + store;
        default:
            break;
    }
    std::string reason = "cannot use the settings store " + store + ": " + sqlite3_errstr(rc);
    if (db != nullptr && sqlite3_system_errno(db) != 0) {
        reason += " (" + SystemReason(sqlite3_system_errno(db)) + ")";
    }
    return reason;
}

struct CloseDb {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

// One prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) : rc_(sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr)) {}
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    int prepared() const { return rc_; }
    sqlite3_stmt *get() const { return stmt_; }

    // Bytes, never NULL: a zero-length blob stays a blob.
    void Bind(int index, const void *data, size_t size) {
        if (size == 0) {
            sqlite3_bind_zeroblob(stmt_, index, 0);
        } else {
            sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT);
        }
    }
    void Bind(int index, const std::string &bytes) { Bind(index, bytes.data(), bytes.size()); }
    void Bind(int index, sqlite3_int64 number) { sqlite3_bind_int64(stmt_, index, number); }
    int Step() { return sqlite3_step(stmt_); }

private:
    sqlite3_stmt *stmt_ = nullptr;
    int rc_;
};

// Ends a write transaction that did not commit, so that nothing of it stays.
void RollBack(sqlite3 *db) {
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

enum class Opened { kReady, kNoSchema, kFailed };

// Opens the store for one key. create makes the file, its directory and the
// schema when they are missing; writable refuses a store that could only be
// read. A file that is not ours is left exactly as it is.
Opened OpenStore(const std::string &store, bool create, bool named, bool writable, Db *out) {
    if (create && !(named ? NamedStoreDirectoryExists(store) : MakeStoreDirectory(store))) return Opened::kFailed;
    sqlite3 *raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(store.c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        store::Fail(StoreFailure::kUnavailable, DatabaseFailure(db.get(), rc, store));
        return Opened::kFailed;
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    if (writable && sqlite3_db_readonly(db.get(), "main") == 1) {
        store::Fail(StoreFailure::kUnavailable, "the settings store " + store + " is read-only");
        return Opened::kFailed;
    }

    // The version and the table count together tell ours from a stranger's
    // database; the read is also where a file that is no database shows.
    const auto inspect = [&](int *version, int *tables) {
        Statement query(db.get(),
                        "SELECT (SELECT user_version FROM pragma_user_version),"
                        "       (SELECT count(*) FROM sqlite_schema)");
        if (query.prepared() != SQLITE_OK) return query.prepared();
        const int step = query.Step();
        if (step != SQLITE_ROW) return step;
        *version = sqlite3_column_int(query.get(), 0);
        *tables = sqlite3_column_int(query.get(), 1);
        return SQLITE_OK;
    };
    int version = 0;
    int tables = 0;
    rc = inspect(&version, &tables);
    if (rc == SQLITE_OK && version == 0 && tables == 0 && create) {
        // Another process may be making the schema at the same moment: look
        // again once the write lock is held.
        rc = sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) rc = inspect(&version, &tables);
        if (rc == SQLITE_OK && version == 0 && tables == 0) {
            rc = sqlite3_exec(db.get(), kSchema, nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) version = kSchemaVersion;
        }
        if (rc == SQLITE_OK) rc = sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) RollBack(db.get());
    }
    if (rc != SQLITE_OK) {
        store::Fail(StoreFailure::kUnavailable, DatabaseFailure(db.get(), rc, store));
        return Opened::kFailed;
    }
    if (version == 0 && tables == 0) return Opened::kNoSchema;
    if (version != kSchemaVersion) {
        store::Fail(StoreFailure::kUnavailable, version > kSchemaVersion
                                                    ? "the settings store " + store +
                                                          " was written by a newer version (schema " +
                                                          std::to_string(version) + ")"
                                                    : "the database " + store + " is not a settings store");
        return Opened::kFailed;
    }
    *out = std::move(db);
    return Opened::kReady;
}

// The id of the named child of a key: 1 found, 0 missing, -1 failed (rc set).
int FindChild(sqlite3 *db, sqlite3_int64 parent, const std::string &folded, sqlite3_int64 *id, int *rc) {
    Statement find(db, "SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
    if ((*rc = find.prepared()) != SQLITE_OK) return -1;
    find.Bind(1, parent);
    find.Bind(2, folded);
    const int step = find.Step();
    if (step == SQLITE_ROW) {
        *id = sqlite3_column_int64(find.get(), 0);
        *rc = SQLITE_OK;
        return 1;
    }
    *rc = step == SQLITE_DONE ? SQLITE_OK : step;
    return *rc == SQLITE_OK ? 0 : -1;
}

}  // namespace

struct RegistryKey::Impl {
    Db db;
    std::string store;
    std::string path;
    sqlite3_int64 id = 0;
    bool can_read = false;
    bool can_write = false;
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegistryKey::RegistryKey(RegistryKey &&) noexcept = default;
RegistryKey &RegistryKey::operator=(RegistryKey &&) noexcept = default;
RegistryKey::~RegistryKey() = default;

RegistryKey RegistryKey::Create(const std::string &path) {
    try {
        if (store::FaultFires(StoreCall::kCreate, path, nullptr, path)) return RegistryKey(nullptr);
        std::vector<std::string> names;
        auto impl = std::make_unique<Impl>();
        bool named = false;
        if (!SplitPath(path, &names) || !StorePath(&impl->store, &named)) return RegistryKey(nullptr);
        if (OpenStore(impl->store, true, named, true, &impl->db) != Opened::kReady) {
            return RegistryKey(nullptr);
        }
        sqlite3 *db = impl->db.get();
        // The whole path in one transaction: a key never exists without its
        // parents, even when a writer dies half-way.
        int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_int64 id = 0;
        for (size_t i = 0; rc == SQLITE_OK && i < names.size(); ++i) {
            const std::string folded = Fold(names[i]);
            const int found = FindChild(db, id, folded, &id, &rc);
            if (found != 0) continue;
            Statement add(db, "INSERT INTO reg_keys(parent, name, folded) VALUES(?1, ?2, ?3)");
            if ((rc = add.prepared()) != SQLITE_OK) break;
            add.Bind(1, id);
            add.Bind(2, names[i]);
            add.Bind(3, folded);
            rc = add.Step();
            if (rc != SQLITE_DONE) break;
            rc = SQLITE_OK;
            id = sqlite3_last_insert_rowid(db);
        }
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            store::Fail(StoreFailure::kUnavailable, DatabaseFailure(db, rc, impl->store));
            RollBack(db);
            return RegistryKey(nullptr);
        }
        impl->path = path;
        impl->id = id;
        impl->can_write = true;
        return RegistryKey(std::move(impl));
    } catch (...) {
        store::FailOutOfMemory();
        return RegistryKey(nullptr);
    }
}

RegistryKey RegistryKey::Open(const std::string &path, Access access) {
    try {
        if (store::FaultFires(StoreCall::kOpen, path, nullptr, path)) return RegistryKey(nullptr);
        std::vector<std::string> names;
        auto impl = std::make_unique<Impl>();
        if (!SplitPath(path, &names) || !StorePath(&impl->store)) return RegistryKey(nullptr);
        struct stat info {};
        if (stat(impl->store.c_str(), &info) != 0 && errno == ENOENT) {
            store::Fail(
                StoreFailure::kMissing,
                "the key " + path + " does not exist (there is no settings store " + impl->store + " yet)");
            return RegistryKey(nullptr);
        }
        const Opened opened = OpenStore(impl->store, false, true, access != Access::kRead, &impl->db);
        if (opened == Opened::kFailed) return RegistryKey(nullptr);
        // A store without its tables yet holds no key, not even the root.
        if (opened == Opened::kNoSchema) {
            store::Fail(StoreFailure::kMissing, "the key " + path + " does not exist");
            return RegistryKey(nullptr);
        }
        sqlite3 *db = impl->db.get();
        sqlite3_int64 id = 0;
        for (const std::string &name : names) {
            int rc = SQLITE_OK;
            const int found = FindChild(db, id, Fold(name), &id, &rc);
            if (found < 0) {
                store::Fail(StoreFailure::kUnavailable, DatabaseFailure(db, rc, impl->store));
                return RegistryKey(nullptr);
            }
            if (found == 0) {
                store::Fail(StoreFailure::kMissing, "the key " + path + " does not exist");
                return RegistryKey(nullptr);
            }
        }
        impl->path = path;
        impl->id = id;
        impl->can_read = access != Access::kWrite;
        impl->can_write = access != Access::kRead;
        return RegistryKey(std::move(impl));
    } catch (...) {
        store::FailOutOfMemory();
        return RegistryKey(nullptr);
    }
}

bool RegistryKey::Read(const char *name, void *buffer, uint32_t *size, uint32_t *type) const {
    try {
        if (name == nullptr) name = "";
        if (impl_ == nullptr || size == nullptr) {
            store::Fail(StoreFailure::kUnavailable,
                        "a value was read through a key that is not open, or without a size");
            return false;
        }
        if (store::FaultFires(StoreCall::kRead, impl_->path, name, impl_->path)) return false;
        if (!impl_->can_read) {
            store::Fail(StoreFailure::kUnavailable,
                        "the key " + impl_->path + " was opened without read access");
            return false;
        }
        sqlite3 *db = impl_->db.get();
        Statement query(db, "SELECT type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
        int rc = query.prepared();
        if (rc == SQLITE_OK) {
            query.Bind(1, impl_->id);
            query.Bind(2, Fold(name));
            rc = query.Step();
        }
        if (rc == SQLITE_DONE) {
            store::Fail(StoreFailure::kMissing,
                        "the value " + QuoteName(name) + " of the key " + impl_->path + " does not exist");
            return false;
        }
        if (rc != SQLITE_ROW) {
            store::Fail(StoreFailure::kUnavailable, DatabaseFailure(db, rc, impl_->store));
            return false;
        }
        const void *data = sqlite3_column_blob(query.get(), 1);
        const auto length = static_cast<uint32_t>(sqlite3_column_bytes(query.get(), 1));
        if (buffer != nullptr) {
            if (length > *size) {
                store::Fail(StoreFailure::kUnavailable, "the value " + QuoteName(name) + " of the key " +
                                                            impl_->path + " holds " + std::to_string(length) +
                                                            " bytes, more than the " + std::to_string(*size) +
                                                            " bytes of the buffer");
                return false;
            }
            if (length > 0) std::memcpy(buffer, data, length);
        }
        *size = length;
        if (type != nullptr) *type = static_cast<uint32_t>(sqlite3_column_int64(query.get(), 0));
        return true;
    } catch (...) {
        store::FailOutOfMemory();
        return false;
    }
}

bool RegistryKey::Write(const char *name, uint32_t type, const void *data, uint32_t size) {
    try {
        if (name == nullptr) name = "";
        if (impl_ == nullptr || (data == nullptr && size > 0)) {
            store::Fail(StoreFailure::kUnavailable,
                        "a value was written through a key that is not open, or without its data");
            return false;
        }
        if (store::FaultFires(StoreCall::kWrite, impl_->path, name, impl_->path)) return false;
        if (!impl_->can_write) {
            store::Fail(StoreFailure::kUnavailable,
                        "the key " + impl_->path + " was opened without write access");
            return false;
        }
        sqlite3 *db = impl_->db.get();
        // The write lock is taken before anything is read: a writer that held
        // a read lock while it waited for the write lock could be refused at
        // once instead of waiting out the busy timeout.
        int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            Statement put(db,
                          "INSERT INTO reg_values(key, name, folded, type, data)"
                          " VALUES(?1, ?2, ?3, ?4, ?5)"
                          " ON CONFLICT(key, folded) DO UPDATE"
                          " SET type = excluded.type, data = excluded.data");
            rc = put.prepared();
            if (rc == SQLITE_OK) {
                put.Bind(1, impl_->id);
                put.Bind(2, std::string(name));
                put.Bind(3, Fold(name));
                put.Bind(4, static_cast<sqlite3_int64>(type));
                put.Bind(5, data, size);
                rc = put.Step();
                if (rc == SQLITE_DONE) rc = SQLITE_OK;
            }
        }
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            store::Fail(StoreFailure::kUnavailable, DatabaseFailure(db, rc, impl_->store));
            RollBack(db);
            return false;
        }
        return true;
    } catch (...) {
        store::FailOutOfMemory();
        return false;
    }
}

}  // namespace lumo::platform
