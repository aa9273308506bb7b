// The computation of the area window off the window's thread: one runs at a time, a new one
// cancels the one running (whose result is dropped), and the window learns of the progress by
// asking and of the end by Finished, on its own thread.
#pragma once

#include "AreaCheck.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace vorida::obszar {

class AreaComputation : public QObject
{
    Q_OBJECT
public:
    explicit AreaComputation(QObject* parent = nullptr);
    // Cancels what runs and waits for it (it stops at its next point).
    ~AreaComputation() override;

    // Computes what the window shows (ComputeAreaCheck) on a thread of its own, cancelling the
    // computation running.
    void Start(AreaFile area, CheckOptions options, std::vector<CheckPoint> checks,
        std::vector<std::int64_t> unreadableChecks);
    // Cancels the computation running: no Finished for it.
    void Cancel();
    bool Running() const { return current_ != nullptr; }
    // The screening's progress of the one running: round (from 0), points done, points.
    struct Progress
    {
        size_t Round = 0, Done = 0, Total = 0;
    };
    Progress Now() const;
    // Waits until nothing runs, delivering Finished; false after ms milliseconds.
    bool Wait(int ms);

signals:
    void Finished(std::shared_ptr<AreaCheck> check);
    void Advanced(); // the progress may have moved (every few tens of milliseconds)

private:
    struct Job;
    void poll();

    std::unique_ptr<Job> current_;
    std::vector<std::unique_ptr<Job>> cancelled_; // still stopping
    QTimer timer_;
};

} // namespace vorida::obszar
