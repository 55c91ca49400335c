// A registered temporary file goes when SIGINT, SIGTERM, SIGHUP or SIGPIPE
// ends the process, and the process still ends by that signal; an
// unregistered one stays, and a signal the process ignores stays ignored.
#include "signals.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

namespace lumo::cli {
namespace {

std::string ScratchFile() {
    char name[] = "/tmp/lumotext-signal-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return name;
}

bool Exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

// Runs body in a child process; its wait status.
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST(SignalCleanup, AFatalSignalRemovesTheRegisteredFileAndStillEndsTheProcess) {
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(strsignal(number));
        const std::string path = ScratchFile();
        const int status = InChild([&] {
            std::signal(number, SIG_DFL);
            auto registered = SignalCleanup::Register(path);
            if (registered == nullptr) _exit(3);
            std::raise(number);
            _exit(4);  // not reached
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), number);
        EXPECT_FALSE(Exists(path));
        unlink(path.c_str());
    }
}

TEST(SignalCleanup, AFileNoLongerRegisteredStays) {
    const std::string path = ScratchFile();
    const int status = InChild([&] {
        std::signal(SIGTERM, SIG_DFL);
        SignalCleanup::Register(path).reset();
        std::raise(SIGTERM);
    });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(Exists(path));
    unlink(path.c_str());
}

TEST(SignalCleanup, AnIgnoredSignalStaysIgnored) {
    const std::string path = ScratchFile();
    const int status = InChild([&] {
        std::signal(SIGHUP, SIG_IGN);
        auto registered = SignalCleanup::Register(path);
        std::raise(SIGHUP);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Exists(path));
    unlink(path.c_str());
}

TEST(SignalCleanup, SlotsRunOutWithoutHarm) {
    std::vector<std::unique_ptr<SignalCleanup>> held;
    for (int i = 0; i < SignalCleanup::kSlots + 2; ++i) {
        auto one = SignalCleanup::Register("/tmp/lumotext-never-" + std::to_string(i));
        if (one != nullptr) held.push_back(std::move(one));
    }
    EXPECT_LE(held.size(), static_cast<size_t>(SignalCleanup::kSlots));
    EXPECT_EQ(SignalCleanup::Register(std::string(SignalCleanup::kMaxPath, 'x')), nullptr);
    held.clear();
    EXPECT_NE(SignalCleanup::Register("/tmp/lumotext-never"), nullptr);
}

}  // namespace
}  // namespace lumo::cli
