// The settings store on Windows: keys below HKEY_CURRENT_USER through the
// ANSI registry calls, so that names and string values stay in the ANSI code
// page. The registry itself gives the case-blind names and atomic writes.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/registry.h"
#include "platform/store_failure.h"

namespace lumo::platform {
namespace {

// "RegOpenKeyExA on HKEY_CURRENT_USER\path: The system cannot find the file
// specified. (error 2)", in the system's own words.
std::string CallFailure(const char *call, const std::string &path, const char *name, LONG error) {
    std::string reason = std::string(call) + " on HKEY_CURRENT_USER\\" + path;
    if (name != nullptr) reason += " value \"" + std::string(name) + "\"";
    reason += ": ";
    char *text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<char *>(&text), 0, nullptr);
    if (length > 0 && text != nullptr) {
        std::string message(text, length);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
            message.pop_back();
        }
        reason += message + " ";
    }
    if (text != nullptr) LocalFree(text);
    reason += "(error " + std::to_string(error) + ")";
    return reason;
}

REGSAM SamOf(Access access) {
    switch (access) {
        case Access::kRead:
            return KEY_READ;
        case Access::kWrite:
            return KEY_WRITE;
        case Access::kAll:
            break;
    }
    return KEY_ALL_ACCESS;
}

}  // namespace

struct RegistryKey::Impl {
    HKEY key = nullptr;
    std::string path;
    Impl() = default;
    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;
    ~Impl() {
        if (key != nullptr) RegCloseKey(key);
    }
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegistryKey::RegistryKey(RegistryKey &&) noexcept = default;
RegistryKey &RegistryKey::operator=(RegistryKey &&) noexcept = default;
RegistryKey::~RegistryKey() = default;

RegistryKey RegistryKey::Create(const std::string &path) {
    try {
        if (store::FaultFires(StoreCall::kCreate, path, nullptr, "HKEY_CURRENT_USER\\" + path))
            return RegistryKey(nullptr);
        auto impl = std::make_unique<Impl>();
        impl->path = path;
        const LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, &impl->key, nullptr);
        if (rc != ERROR_SUCCESS) {
            impl->key = nullptr;
            store::Fail(rc == ERROR_FILE_NOT_FOUND ? StoreFailure::kMissing : StoreFailure::kUnavailable,
                        CallFailure("RegCreateKeyExA", path, nullptr, rc));
            return RegistryKey(nullptr);
        }
        return RegistryKey(std::move(impl));
    } catch (...) {
        store::FailOutOfMemory();
        return RegistryKey(nullptr);
    }
}

RegistryKey RegistryKey::Open(const std::string &path, Access access) {
    try {
        if (store::FaultFires(StoreCall::kOpen, path, nullptr, "HKEY_CURRENT_USER\\" + path))
            return RegistryKey(nullptr);
        auto impl = std::make_unique<Impl>();
        impl->path = path;
        const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, SamOf(access), &impl->key);
        if (rc != ERROR_SUCCESS) {
            impl->key = nullptr;
            store::Fail(rc == ERROR_FILE_NOT_FOUND ? StoreFailure::kMissing : StoreFailure::kUnavailable,
                        CallFailure("RegOpenKeyExA", path, nullptr, rc));
            return RegistryKey(nullptr);
        }
        return RegistryKey(std::move(impl));
    } catch (...) {
        store::FailOutOfMemory();
        return RegistryKey(nullptr);
    }
}

bool RegistryKey::Read(const char *name, void *buffer, uint32_t *size, uint32_t *type) const {
    try {
        if (impl_ == nullptr || size == nullptr) {
            store::Fail(StoreFailure::kUnavailable,
                        "a value was read through a key that is not open, or without a size");
            return false;
        }
        if (store::FaultFires(StoreCall::kRead, impl_->path, name == nullptr ? "" : name,
                              "HKEY_CURRENT_USER\\" + impl_->path))
            return false;
        // A copy of the size, so that a failure leaves the caller's unchanged
        // (ERROR_MORE_DATA would put the needed size there).
        DWORD length = *size;
        DWORD stored_type = REG_NONE;
        const LONG rc =
            RegQueryValueExA(impl_->key, name, nullptr, &stored_type, static_cast<BYTE *>(buffer), &length);
        if (rc != ERROR_SUCCESS) {
            store::Fail(rc == ERROR_FILE_NOT_FOUND ? StoreFailure::kMissing : StoreFailure::kUnavailable,
                        CallFailure("RegQueryValueExA", impl_->path, name == nullptr ? "" : name, rc));
            return false;
        }
        *size = static_cast<uint32_t>(length);
        if (type != nullptr) *type = static_cast<uint32_t>(stored_type);
        return true;
    } catch (...) {
        store::FailOutOfMemory();
        return false;
    }
}

bool RegistryKey::Write(const char *name, uint32_t type, const void *data, uint32_t size) {
    try {
        if (impl_ == nullptr || (data == nullptr && size > 0)) {
            store::Fail(StoreFailure::kUnavailable,
                        "a value was written through a key that is not open, or without its data");
            return false;
        }
        if (store::FaultFires(StoreCall::kWrite, impl_->path, name == nullptr ? "" : name,
                              "HKEY_CURRENT_USER\\" + impl_->path))
            return false;
        const LONG rc = RegSetValueExA(impl_->key, name, 0, static_cast<DWORD>(type),
                                       static_cast<const BYTE *>(data), static_cast<DWORD>(size));
        if (rc != ERROR_SUCCESS) {
            store::Fail(rc == ERROR_FILE_NOT_FOUND ? StoreFailure::kMissing : StoreFailure::kUnavailable,
                        CallFailure("RegSetValueExA", impl_->path, name == nullptr ? "" : name, rc));
            return false;
        }
        return true;
    } catch (...) {
        store::FailOutOfMemory();
        return false;
    }
}

}  // namespace lumo::platform
