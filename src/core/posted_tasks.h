// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace orvane2 {

// The queue behind FormServices::PostToWindow: any thread adds tasks, the window's thread
// runs them, oldest first, when woken. The front end wakes it: wake() must have the
// window's thread call RunAll() soon, from whatever loop it runs, and returns false when
// it could not. A wake-up is asked for only when none is pending, and one is kept
// pending while tasks wait behind the one running, so that a task that opens a modal
// box (whose loop handles the wake-up) holds up none of the others. Tasks still queued
// when the queue goes are dropped.
class PostedTasks {
public:
    explicit PostedTasks(std::function<bool()> wake) : wake_(std::move(wake)) {}

    void Post(std::function<void()> task);
    // On the window's thread, for a wake-up: runs the tasks until none is left.
    void RunAll();

private:
    void WakeLocked();

    const std::function<bool()> wake_;
    std::mutex mutex_;  // guards what follows
    std::deque<std::function<void()>> tasks_;
    bool wakePending_ = false;
};

}  // namespace orvane2
