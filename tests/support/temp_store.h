// A settings store of its own for each test: a fresh database file named by
// LUMOTEXT_REGISTRY, removed again afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace lumo_test {

class TempStore : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumotext-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory_ = pattern;
        path_ = directory_ + "/registry.sqlite3";
        setenv("LUMOTEXT_REGISTRY", path_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("LUMOTEXT_REGISTRY");
        std::remove(path_.c_str());
        std::remove((path_ + "-journal").c_str());
        std::remove((path_ + "-wal").c_str());
        std::remove((path_ + "-shm").c_str());
        rmdir(directory_.c_str());
    }
    // Points the store at a place where nothing can be created.
    void BreakStore() { setenv("LUMOTEXT_REGISTRY", "/proc/self/no-such-dir/registry.sqlite3", 1); }

    std::string directory_;
    std::string path_;
};

}  // namespace lumo_test
