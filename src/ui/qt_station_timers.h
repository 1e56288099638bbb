#pragma once

#include <QObject>
#include <QTimer>

#include "link/poll_cycle.h"

namespace klv {

struct Station;

// The station's two one-second loops: tmrComm polls the bench, tmrRun
// carries the tests. Both run on the one user-interface thread.
class StationTimers : public QObject {
    Q_OBJECT
public:
    explicit StationTimers(Station& station, QObject* parent = nullptr);
    void start();
    void stopRun();
    bool polling() const { return tmrComm.isActive(); }

Q_SIGNALS:
    void polled(const klv::PollTickReport& report);
    // A run tick has walked every channel; the window repaints what changed.
    void ran();

private:
    void onComm();
    Station& station_;
    QTimer tmrComm;
    QTimer tmrRun;
};

}  // namespace klv
