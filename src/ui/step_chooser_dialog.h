#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace klv {

struct Station;

// frmStep, "工步选择": lists the channels that hold a program and hands the chosen one to the
// step program editor. Modeless; the list is built afresh at every show().
class StepChooserDialog : public QDialog {
    Q_OBJECT
public:
    StepChooserDialog(Station& station, QWidget* parent = nullptr);

Q_SIGNALS:
    // "确定" on an entry: the channel slot whose step table to copy.
    void programChosen(int slot);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose();

    Station& station_;
    QListWidget* lstStep_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

}  // namespace klv
