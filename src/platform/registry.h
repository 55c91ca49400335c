// The per-user settings store, in the few operations the setting slots need:
// create or open a key path, read a value into a buffer of a given size, write
// a value with a type and byte count. On Windows this is the registry under
// HKEY_CURRENT_USER; elsewhere an SQLite database with the same semantics.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace lumo::platform {

// Value types, numbered as the registry numbers them.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

enum class Access { kRead, kWrite, kAll };

class RegistryKey {
public:
    // Creates the key path (and every missing key on it) and opens it for
    // writing. Check valid(): the store may be unavailable.
    static RegistryKey Create(const std::string &path);
    // Opens an existing key path; invalid when it does not exist.
    static RegistryKey Open(const std::string &path, Access access);

    RegistryKey(RegistryKey &&) noexcept;
    RegistryKey &operator=(RegistryKey &&) noexcept;
    ~RegistryKey();  // closes the key

    bool valid() const { return impl_ != nullptr; }

    // Reads the value into buffer, which holds *size bytes. Fails when the
    // value is missing or longer than *size; on success *size is the value's
    // length and *type (when given) its type. The type is not checked.
    // A null or empty name is the key's default value. On failure *size is
    // unchanged and the buffer's contents are unspecified (the registry may
    // have written part of it). A null buffer asks for the length and type
    // only. The key needs read access: a key from Create has none.
    bool Read(const char *name, void *buffer, uint32_t *size, uint32_t *type = nullptr) const;
    // Writes size bytes of data as the value, with its type. All or nothing.
    // The key needs write access (Create, or Open with kWrite or kAll).
    bool Write(const char *name, uint32_t type, const void *data, uint32_t size);

    struct Impl;

private:
    explicit RegistryKey(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Why the last store operation of the calling thread that failed did so, in
// words for a person (for example "the settings store /path is not a
// database"). Successes leave it as it is; empty when nothing has failed yet.
std::string LastStoreError();

// What kind of failure that was: a key or value that is not there, or a
// store that cannot be used at all (cannot be opened, is damaged, denied).
enum class StoreFailure { kNone, kMissing, kUnavailable };
StoreFailure LastStoreFailure();

// A seam for tests: while a hook is set on a thread, each store operation of
// that thread asks it first and, when it returns true, fails as the store
// would, without touching the store. path is the key path; name is the value
// name for kRead and kWrite and null otherwise. A null hook removes it.
enum class StoreCall { kCreate, kOpen, kRead, kWrite };
using StoreFaultHook = bool (*)(StoreCall call, const std::string &path, const char *name,
                                void *context);
void SetStoreFaultHook(StoreFaultHook hook, void *context);

}  // namespace lumo::platform
