#include "platform/qt_event_pump.h"

#include <QCoreApplication>
#include <QThread>

#include "platform/qt_serial_port.h"

namespace klv {

void QtEventPump::pump()
{
    QCoreApplication::processEvents();
    if (port_.isOpen())
        port_.waitForInput(1);
    else
        QThread::msleep(1);
}

}  // namespace klv
