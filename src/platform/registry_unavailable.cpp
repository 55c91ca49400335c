// The settings store of a build that has none (the 32-bit Linux test build,
// which has no 32-bit SQLite): every key fails to open, so the slot exports
// report the failure through their masks and stage codes.
#include "platform/registry.h"
#include "platform/store_failure.h"

namespace lumo::platform {

struct RegistryKey::Impl {};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegistryKey::RegistryKey(RegistryKey &&) noexcept = default;
RegistryKey &RegistryKey::operator=(RegistryKey &&) noexcept = default;
RegistryKey::~RegistryKey() = default;

RegistryKey RegistryKey::Create(const std::string &) {
    store::Fail(StoreFailure::kUnavailable, "this build has no settings store");
    return RegistryKey(nullptr);
}
RegistryKey RegistryKey::Open(const std::string &, Access) {
    store::Fail(StoreFailure::kUnavailable, "this build has no settings store");
    return RegistryKey(nullptr);
}
bool RegistryKey::Read(const char *, void *, uint32_t *, uint32_t *) const { return false; }
bool RegistryKey::Write(const char *, uint32_t, const void *, uint32_t) { return false; }

}  // namespace lumo::platform
