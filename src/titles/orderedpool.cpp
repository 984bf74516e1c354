#include "titles/orderedpool.h"

#include <algorithm>

namespace pelmora {

OrderedPool::OrderedPool(size_t count, unsigned threads, std::function<void(size_t)> work)
    : count_(count), work_(std::move(work)), done_(count, 0) {
    const size_t n = std::max<size_t>(1, std::min<size_t>(threads, count));
    if (count == 0) return;  // no workers: finished at once
    workers_.reserve(n);
    for (size_t i = 0; i < n; ++i) workers_.emplace_back([this] { run(); });
}

OrderedPool::~OrderedPool() {
    stop();
    join();
}

void OrderedPool::run() {
    for (;;) {
        if (stopped_.load(std::memory_order_relaxed)) break;
        const size_t i = next_.fetch_add(1);
        if (i >= count_) break;
        try {
            work_(i);
        } catch (...) {
            // The item is done all the same: whatever its slot holds stands.
        }
        std::lock_guard<std::mutex> lock(mu_);
        done_[i] = 1;
        const size_t before = ready_;
        while (ready_ < count_ && done_[ready_]) ++ready_;
        if (ready_ != before) cv_.notify_all();
    }
    std::lock_guard<std::mutex> lock(mu_);
    ++ended_;
    cv_.notify_all();
}

size_t OrderedPool::waitReady(size_t have, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait_for(lock, wait, [&] { return ready_ > have || ended_ == workers_.size(); });
    return ready_;
}

void OrderedPool::stop() { stopped_.store(true); }

bool OrderedPool::finished() const {
    std::lock_guard<std::mutex> lock(mu_);
    return ended_ == workers_.size();
}

void OrderedPool::join() {
    for (std::thread& t : workers_) {
        if (t.joinable()) t.join();
    }
}

unsigned ReadThreadCount(bool slowStorage) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    // A read from a server mostly waits; 16 at once keep the link busy
    // without flooding it.
    return slowStorage ? std::max(16u, cores) : cores;
}

}  // namespace pelmora
