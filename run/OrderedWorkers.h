// A few worker threads that take numbered slots of work in the order they were submitted; the
// caller waits for each slot it needs, so it can take the results back in its own order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vorida {

class OrderedWorkers
{
public:
    // work(worker, slot) runs on worker thread `worker` (0 .. Threads() - 1) and must not
    // throw. Starts up to `threads` threads; when the system refuses one, it goes on with those
    // it has (Threads() may be 0: then the caller does the work itself). Every thread starts
    // with the floating-point environment of the thread that creates the workers (rounding and
    // precision), with no exception flag raised.
    OrderedWorkers(size_t threads, size_t slots, std::function<void(size_t, size_t)> work);
    // Lets the slots being worked on finish, drops those not yet taken, and joins the threads.
    ~OrderedWorkers();
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    size_t Threads() const { return threads_.size(); }
    // The threads the computer runs at once, 0 when unknown (the run's default, RunWorkers).
    static unsigned Cores();
    // Queues a slot; it must not be queued again before Wait has returned for it.
    void Submit(size_t slot);
    // Blocks until the work on the slot is done.
    void Wait(size_t slot);

private:
    void Loop(size_t worker);

    std::function<void(size_t, size_t)> work_;
    std::mutex mutex_;
    std::condition_variable queued_, finished_;
    std::deque<size_t> queue_;
    std::vector<char> done_; // per slot, under mutex_
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vorida
