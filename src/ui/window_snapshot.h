#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

namespace klv {

// A picture of a window written to a file at once and then every few seconds, for watching
// a bench from another room. Each picture replaces the last one whole.
class WindowSnapshot : public QObject {
    Q_OBJECT
public:
    WindowSnapshot(QWidget* window, QString path, int everySeconds, QObject* parent = nullptr);
    bool write();

private:
    QWidget* window_;
    QString path_;
    QTimer timer_;
};

}  // namespace klv
