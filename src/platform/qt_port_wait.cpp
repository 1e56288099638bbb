#include "platform/qt_port_wait.h"

#include <QThread>

#include "platform/qt_serial_port.h"

namespace klv {

void QtPortWait::step()
{
    if (port_.isOpen())
        port_.waitForInput(1);
    else
        QThread::msleep(1);
}

}  // namespace klv
