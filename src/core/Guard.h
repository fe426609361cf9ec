#pragma once

#include <exception>
#include <functional>
#include <utility>

// Sets a flag for the lifetime of the guard and restores its old value on every way out.
class FlagGuard {
public:
    FlagGuard(bool& flag, bool value = true) : flag_(flag), old_(flag) { flag_ = value; }
    ~FlagGuard() { flag_ = old_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool old_;
};

// Runs a function when the scope ends, however it ends.
class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> f) : f_(std::move(f)) {}
    ~ScopeExit() {
        if (f_)
            f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    std::function<void()> f_;
};

// The silent abort: ends the current operation without a message. Caught once, at the
// event-handler boundary (see guardedCall).
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
