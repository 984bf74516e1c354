#pragma once
// Work on many items spread over worker threads, taken back in item order:
// the reader of the results sees how many items from the first on are done
// without a gap, and can stop the run between items. Standard C++ only.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pelmora {

class OrderedPool {
  public:
    // Starts min(threads, count) workers, at least one, that call work(i) for
    // each i in [0, count), taking items in rising order. work must not
    // throw; an exception it lets out still counts the item as done.
    OrderedPool(size_t count, unsigned threads, std::function<void(size_t)> work);
    // Stops and waits for the workers.
    ~OrderedPool();
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // How many items from item 0 on are done without a gap, after waiting at
    // most `wait` for that count to pass `have` (or for every worker to end).
    // Everything work(i) wrote for those items is visible to the caller.
    size_t waitReady(size_t have, std::chrono::milliseconds wait);
    // No item starts after this; the ones being worked on finish.
    void stop();
    // Every worker has ended: all items are done, or the run was stopped and
    // the items begun before are done.
    bool finished() const;
    // Waits for every worker to end.
    void join();

    size_t count() const { return count_; }
    size_t threads() const { return workers_.size(); }

  private:
    void run();

    const size_t count_;
    const std::function<void(size_t)> work_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> stopped_{false};
    mutable std::mutex mu_;
    std::condition_variable cv_;
    std::vector<char> done_;  // per item, under mu_
    size_t ready_ = 0;        // done without a gap, under mu_
    size_t ended_ = 0;        // workers that returned, under mu_
    std::vector<std::thread> workers_;
};

// Worker threads for reading documents: the machine's cores, or more where
// reads mostly wait (files on a network or FUSE mount).
unsigned ReadThreadCount(bool slowStorage);

}  // namespace pelmora
