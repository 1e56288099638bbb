#include "ui/window_snapshot.h"

#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

#include "platform/qt_picture_file.h"

namespace klv {

WindowSnapshot::WindowSnapshot(QWidget* window, QString path, int everySeconds, QObject* parent)
        : QObject(parent), window_(window), path_(std::move(path))
{
    if (everySeconds > 0) {
        connect(&timer_, &QTimer::timeout, this, &WindowSnapshot::write);
        timer_.start(everySeconds * 1000);
    }
}

bool WindowSnapshot::write()
{
    QString format = QFileInfo(path_).suffix().toUpper();
    if (format.isEmpty())
        format = QStringLiteral("PNG");
    return writePicture(window_->grab().toImage(), path_.toStdString(), format.toLatin1().constData());
}

}  // namespace klv
