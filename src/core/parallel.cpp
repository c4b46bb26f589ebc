// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/parallel.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

void forEachIndex(std::size_t count, const std::function<void(std::size_t)> &look,
                  const std::function<void()> &working)
{
    std::atomic<std::size_t> next = 0;
    const auto share = [&](bool tell) {
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            look(i);
            if (tell) {
                working();
            }
        }
    };
    // A few looks are not worth a thread; more than eight threads only wait on the disk.
    constexpr std::size_t perThread = 64;
    const std::size_t threads = std::min<std::size_t>(
        {std::max(std::thread::hardware_concurrency(), 1u), 8, count / perThread + 1});
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(share, false);
        } catch (const std::system_error &) {
            break; // the system has no more threads to give: fewer do the work
        }
    }
    share(true);
}
