#include "ui/window_snapshot.h"

#include <QFileInfo>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

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
    const QString partial = path_ + QStringLiteral(".part");
    QString format = QFileInfo(path_).suffix().toUpper();
    if (format.isEmpty())
        format = QStringLiteral("PNG");
    if (!window_->grab().save(partial, format.toLatin1().constData()))
        return false;
    return std::rename(partial.toLocal8Bit().constData(), path_.toLocal8Bit().constData()) == 0;
}

}  // namespace klv
