#pragma once
// For tests that send this process SIGTERM, SIGINT or SIGHUP: until the runtime takes them
// over, and again once it has put them back, they reach a handler that only counts them,
// whatever this process was started with (a signal the runtime failed to take then fails
// the test instead of ending its process). Header-only.
#include <atomic>
#include <csignal>
#include <iterator>

namespace pwtest {

class SignalCatcher {
public:
    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

    SignalCatcher()
    {
        caught_.store(0);
        struct sigaction counting {};
        counting.sa_handler = &SignalCatcher::count;
        sigemptyset(&counting.sa_mask);
        counting.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &counting, &saved_[i]);
    }
    ~SignalCatcher()
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &saved_[i], nullptr);
    }
    SignalCatcher(const SignalCatcher&) = delete;
    SignalCatcher& operator=(const SignalCatcher&) = delete;

    // How many of the signals reached this catcher since it was made.
    static int Caught() { return caught_.load(); }
    // Whether signal now goes to this catcher.
    static bool Catches(int signal) { return HandlerOf(signal) == &SignalCatcher::count; }
    // The handler signal goes to now (SIG_DFL, SIG_IGN or a function).
    static void (*HandlerOf(int signal))(int)
    {
        struct sigaction now {};
        ::sigaction(signal, nullptr, &now);
        return now.sa_handler;
    }

private:
    static void count(int) { caught_.fetch_add(1); }

    static inline std::atomic<int> caught_{0};   // constant-initialised: safe in the handler

    struct sigaction saved_[std::size(kSignals)] = {};
};

} // namespace pwtest
