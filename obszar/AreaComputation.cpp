#include "AreaComputation.h"

#include "OrderedWorkers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>

namespace vorida::obszar {

struct AreaComputation::Job
{
    AreaFile Area;
    CheckOptions Options;
    std::vector<CheckPoint> Checks;
    std::vector<std::int64_t> Unreadable;
    ScreeningProgress Screening;
    std::shared_ptr<AreaCheck> Result;
    std::atomic<bool> Done { false };
    std::unique_ptr<OrderedWorkers> Worker; // last: joined first when the job goes

    void Run()
    {
        try {
            Result = std::make_shared<AreaCheck>(
                ComputeAreaCheck(Area, Options, Checks, Unreadable, &Screening));
        } catch (const std::exception&) {
            Result.reset(); // no memory: nothing shown
        }
        Done = true;
    }
};

AreaComputation::AreaComputation(QObject* parent) : QObject(parent)
{
    timer_.setInterval(40);
    connect(&timer_, &QTimer::timeout, this, &AreaComputation::poll);
}

AreaComputation::~AreaComputation()
{
    Cancel();
    cancelled_.clear(); // each joins its thread, which stops at its next point
}

void AreaComputation::Start(AreaFile area, CheckOptions options, std::vector<CheckPoint> checks,
    std::vector<std::int64_t> unreadableChecks)
{
    Cancel();
    auto job = std::make_unique<Job>();
    job->Area = std::move(area);
    job->Options = std::move(options);
    job->Checks = std::move(checks);
    job->Unreadable = std::move(unreadableChecks);
    Job* j = job.get();
    job->Worker = std::make_unique<OrderedWorkers>(1, 1, [j](size_t, size_t) { j->Run(); });
    if (job->Worker->Threads() == 0)
        j->Run(); // no thread to be had: here, then
    else
        job->Worker->Submit(0);
    current_ = std::move(job);
    timer_.start();
}

void AreaComputation::Cancel()
{
    if (!current_)
        return;
    current_->Screening.Cancel();
    cancelled_.push_back(std::move(current_));
}

AreaComputation::Progress AreaComputation::Now() const
{
    if (!current_)
        return {};
    const ScreeningProgress& s = current_->Screening;
    return { s.Round(), s.Done(), s.Total() };
}

void AreaComputation::poll()
{
    std::erase_if(cancelled_, [](const std::unique_ptr<Job>& j) { return j->Done.load(); });
    if (current_ && current_->Done) {
        std::unique_ptr<Job> done = std::move(current_);
        if (cancelled_.empty())
            timer_.stop();
        if (done->Result)
            emit Finished(done->Result);
        return;
    }
    if (!current_ && cancelled_.empty())
        timer_.stop();
    if (current_)
        emit Advanced();
}

bool AreaComputation::Wait(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (current_) {
        if (clock.elapsed() > ms)
            return false;
        poll();
        if (current_)
            QThread::msleep(2);
    }
    return true;
}

} // namespace vorida::obszar
