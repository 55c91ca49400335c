// Temporary files that a signal must not leave behind. While an output file
// is written beside its place, its temporary path is registered here; should
// SIGINT, SIGTERM, SIGHUP or SIGPIPE end the process, the handler unlinks
// every registered path and then lets the signal end the process with its
// default action, as if it had not been caught (the shell sees the signal).
// The file being replaced is only ever renamed over, so it stays intact.
#pragma once

#include <memory>
#include <string>

namespace lumo::cli {

class SignalCleanup {
public:
    // Registers path until the returned object goes; nullptr when path is
    // too long or kSlots paths are registered already. The handlers are
    // installed with the first registration, for each signal that the
    // process does not ignore.
    static std::unique_ptr<SignalCleanup> Register(const std::string &path);
    ~SignalCleanup();

    SignalCleanup(const SignalCleanup &) = delete;
    SignalCleanup &operator=(const SignalCleanup &) = delete;

    static constexpr int kSlots = 16;
    static constexpr size_t kMaxPath = 4096;

private:
    explicit SignalCleanup(int slot) : slot_(slot) {}
    int slot_;
};

}  // namespace lumo::cli
