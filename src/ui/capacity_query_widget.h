#pragma once

#include <QWidget>

#include "data/step_capacity.h"

class QComboBox;
class QGridLayout;

namespace klv {

struct Station;

// The boxes the report and the screening share: first and last device (each present device
// as its bus address + 1), first and last cycle, and the type.
class CapacityQueryWidget : public QWidget {
    Q_OBJECT
public:
    explicit CapacityQueryWidget(const Station& station, QWidget* parent = nullptr);

    // The boxes as the dialogs read them at "确定".
    CapacityQuery query() const;
    // Both cycle boxes list first..last and stand on first.
    void offerCycles(const CycleRange& range);
    QComboBox& firstDevice() { return *firstDevice_; }
    QComboBox& lastDevice() { return *lastDevice_; }

Q_SIGNALS:
    // Either device box was chosen while both hold a device.
    void deviceRangeChosen(int firstDevice, int lastDevice);

private:
    QComboBox* box(const char* name, const QString& label, QGridLayout* grid, int column);
    void deviceChosen();

    QComboBox* firstDevice_;
    QComboBox* lastDevice_;
    QComboBox* firstCycle_;
    QComboBox* lastCycle_;
    QComboBox* type_;
};

}  // namespace klv
