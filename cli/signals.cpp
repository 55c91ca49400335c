// The registry of paths to remove and the handler that removes them. A
// signal handler gets no context, so the registry is the one piece of
// process-wide state here: fixed slots, each a path and an atomic flag that
// says whether it is in use. The handler only reads flags, calls unlink and
// resets its own disposition before raising the signal again: all of it
// async-signal-safe, and free of locks that a thread might hold.
#include "signals.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace lumo::cli {
namespace {

struct Slot {
    std::atomic<bool> armed{false};
    std::atomic<bool> taken{false};
    char path[SignalCleanup::kMaxPath];
};

Slot g_slots[SignalCleanup::kSlots];
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flags");

#ifdef _WIN32
constexpr int kSignals[] = {SIGINT, SIGTERM};
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
#endif

void RemoveRegistered() {
    for (Slot &slot : g_slots) {
        if (slot.armed.load(std::memory_order_acquire)) {
#ifdef _WIN32
            _unlink(slot.path);
#else
            unlink(slot.path);
#endif
        }
    }
}

extern "C" void OnFatalSignal(int number) {
    RemoveRegistered();
    // The default action, once this handler returns and the signal, blocked
    // while it runs, is delivered again.
    std::signal(number, SIG_DFL);
    std::raise(number);
}

void InstallHandlers() {
    for (const int number : kSignals) {
#ifdef _WIN32
        const auto previous = std::signal(number, OnFatalSignal);
        if (previous == SIG_IGN) std::signal(number, SIG_IGN);
#else
        struct sigaction old {};
        if (sigaction(number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnFatalSignal;
        sigfillset(&action.sa_mask);  // one handler at a time
        sigaction(number, &action, nullptr);
#endif
    }
}

}  // namespace

std::unique_ptr<SignalCleanup> SignalCleanup::Register(const std::string &path) {
    static const bool installed = (InstallHandlers(), true);  // once, whichever thread comes first
    (void)installed;
    if (path.size() >= kMaxPath) return nullptr;
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (!g_slots[i].taken.compare_exchange_strong(expected, true)) continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].armed.store(true, std::memory_order_release);
        return std::unique_ptr<SignalCleanup>(new SignalCleanup(i));
    }
    return nullptr;
}

SignalCleanup::~SignalCleanup() {
    g_slots[slot_].armed.store(false, std::memory_order_release);
    g_slots[slot_].taken.store(false, std::memory_order_release);
}

}  // namespace lumo::cli
