#include "OrderedWorkers.h"

#include "Extended.h"

#include <cfenv>

namespace vorida {

unsigned OrderedWorkers::Cores()
{
    return std::thread::hardware_concurrency();
}

OrderedWorkers::OrderedWorkers(
    size_t threads, size_t slots, std::function<void(size_t, size_t)> work)
    : work_(std::move(work)), done_(slots, 1)
{
    std::fenv_t environment;
    std::fegetenv(&environment);
    threads_.reserve(threads);
    for (size_t i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this, i, environment] {
                std::fesetenv(&environment);
                ClearFloatingPointFlags();
                Loop(i);
            });
        } catch (const std::exception&) {
            break; // no more threads: the ones started do the work
        }
    }
}

OrderedWorkers::~OrderedWorkers()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void OrderedWorkers::Submit(size_t slot)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_[slot] = 0;
        queue_.push_back(slot);
    }
    queued_.notify_one();
}

void OrderedWorkers::Wait(size_t slot)
{
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return done_[slot] != 0; });
}

void OrderedWorkers::Loop(size_t worker)
{
    for (;;) {
        size_t slot = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            slot = queue_.front();
            queue_.pop_front();
        }
        work_(worker, slot);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_[slot] = 1;
        }
        finished_.notify_all();
    }
}

} // namespace vorida
