#pragma once

#include <QObject>
#include <QTimer>

#include "link/poll_cycle.h"

namespace klv {

struct Station;
class Link;

// The station's two one-second loops on the window thread: tmrComm starts a poll tick, whose
// waiting happens on the link; tmrRun carries the tests.
class StationTimers : public QObject {
    Q_OBJECT
public:
    StationTimers(Station& station, Link& link, QObject* parent = nullptr);
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
    Link& link_;
    QTimer tmrComm;
    QTimer tmrRun;
};

}  // namespace klv
