// SPDX-License-Identifier: MIT
#include "core/posted_tasks.h"

namespace orvane2 {

void PostedTasks::Post(std::function<void()> task)
{
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    WakeLocked();
}

void PostedTasks::WakeLocked()
{
    // A wake-up that fails (a queue full of messages, say) is tried again by the next post.
    if (!wakePending_)
        wakePending_ = wake_();
}

void PostedTasks::RunAll()
{
    {
        const std::lock_guard lock(mutex_);
        wakePending_ = false;
    }
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(mutex_);
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
            if (!tasks_.empty())
                WakeLocked();
        }
        task();
    }
}

}  // namespace orvane2
