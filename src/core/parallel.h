// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

// Calls `look` with every index below `count`, spread over as many threads as the processor
// runs at once: for looks at many files, which wait on the system more than on each other.
// The calling thread takes its share and calls `working` after each of its looks, so that a
// window keeps painting; `look` touches no widget and must not throw.
void forEachIndex(std::size_t count, const std::function<void(std::size_t)> &look,
                  const std::function<void()> &working);

// Makes `make(i)` for every index below `count`, at most `ahead` indexes in front of the one
// taken last, and gives them in order: the taker decides, one index after another, what to do
// with each, and stops when it likes. Helper threads make them, and so does the taker rather
// than wait for one, told the taker's `working`; a helper is told nothing, and touches no
// widget. What was made and never taken is destroyed with the Ahead. With `ahead` 0, or no
// thread to be had, each is made when taken.
template <typename Result> class Ahead final
{
public:
    using Make = std::function<Result(std::size_t, const std::function<void()> &working)>;

    Ahead(std::size_t count, std::size_t ahead, Make make)
        : make_(std::move(make)), made_(count), ahead_(ahead)
    {
        // The taker works too: one processor is its own.
        const std::size_t threads =
            ahead == 0 || count < 2
                ? 0
                : std::min(std::max(std::thread::hardware_concurrency(), 2u) - 1, 8u);
        for (std::size_t t = 0; t < threads; ++t) {
            try {
                helpers_.emplace_back([this] { help(); });
            } catch (const std::system_error &) {
                break; // the system has no more threads to give: fewer do the work
            }
        }
    }

    ~Ahead()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        room_.notify_all();
        helpers_.clear();
    }

    Ahead(const Ahead &) = delete;
    Ahead &operator=(const Ahead &) = delete;

    // Result `i`, the next index after the last taken. `working` is called now and then while
    // it is waited for.
    Result take(std::size_t i, const std::function<void()> &working)
    {
        if (helpers_.empty()) {
            return make_(i, working);
        }
        std::unique_lock lock(mutex_);
        while (!made_[i]) {
            if (next_ < made_.size() && next_ < i + ahead_) {
                // The one it waits for when no helper has begun it yet, else one more ahead.
                makeNext(lock, working);
                continue;
            }
            ready_.wait_for(lock, std::chrono::milliseconds(40));
            lock.unlock();
            working();
            lock.lock();
        }
        Result result = std::move(*made_[i]);
        made_[i].reset();
        taken_ = i + 1;
        lock.unlock();
        room_.notify_one(); // one more may be made ahead
        return result;
    }

private:
    void help()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            room_.wait(lock,
                       [&] { return stop_ || next_ == made_.size() || next_ < taken_ + ahead_; });
            if (stop_ || next_ == made_.size()) {
                return;
            }
            makeNext(lock, {});
        }
    }

    // Makes the next index not yet begun, without the lock meanwhile.
    void makeNext(std::unique_lock<std::mutex> &lock, const std::function<void()> &working)
    {
        const std::size_t i = next_++;
        lock.unlock();
        Result result = make_(i, working);
        lock.lock();
        made_[i].emplace(std::move(result));
        if (i == taken_) {
            ready_.notify_one(); // the one the taker waits for
        }
    }

    const Make make_;
    std::vector<std::optional<Result>> made_;
    const std::size_t ahead_;
    std::size_t next_ = 0, taken_ = 0;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::vector<std::jthread> helpers_; // last: joined before the rest goes
};
