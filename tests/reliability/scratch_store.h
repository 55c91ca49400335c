// A settings store of the test's own: off Windows a fresh database file named
// by LUMOTEXT_REGISTRY, on Windows the registry under a vendor key of this
// process, deleted before and after. Also reads behind the library's back.
#pragma once

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

namespace lumo_test {

class ScratchStore : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        vendor_ = "LumotextReliability" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + vendor_).c_str());
#else
        // A memory file system where there is one: every stored value is a
        // transaction, and these tests store thousands.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/lumotext-reliability-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        setenv("LUMOTEXT_REGISTRY", Path().c_str(), 1);
        vendor_ = "Reliability";
#endif
    }
    void TearDown() override {
#ifdef _WIN32
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + vendor_).c_str());
#else
        unsetenv("LUMOTEXT_REGISTRY");
        for (const char *suffix : {"", "-journal", "-wal", "-shm"}) std::remove((Path() + suffix).c_str());
        rmdir(directory_.c_str());
#endif
    }

#ifndef _WIN32
    std::string Path() const { return directory_ + "/registry.sqlite3"; }
#endif
    const char *vendor() const { return vendor_.c_str(); }

    // A stored value's bytes, or nullopt-like "missing" (found false).
    struct Raw {
        bool found = false;
        uint32_t type = 0;
        std::string bytes;
    };
    static Raw ReadRaw(const std::string &path, const std::string &name) {
        const lumo::platform::RegistryKey key =
            lumo::platform::RegistryKey::Open(path, lumo::platform::Access::kRead);
        Raw raw;
        if (!key.valid()) return raw;
        std::string buffer(64 * 1024, '\0');
        auto size = static_cast<uint32_t>(buffer.size());
        if (!key.Read(name.c_str(), buffer.data(), &size, &raw.type)) return raw;
        raw.found = true;
        raw.bytes = buffer.substr(0, size);
        return raw;
    }

private:
    std::string vendor_;
#ifndef _WIN32
    std::string directory_;
#endif
};

}  // namespace lumo_test
