#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace klv {

// frmConn: a small topmost window that says which device is being asked while connecting.
class ConnectProgress : public QDialog {
    Q_OBJECT
public:
    explicit ConnectProgress(QWidget* parent = nullptr);
    void say(const std::string& text);

private:
    QLabel* lblMsg_;
};

}  // namespace klv
