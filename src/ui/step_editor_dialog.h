#pragma once

#include <QDialog>

#include "program/step_editor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace klv {

struct Station;
class StepChooserDialog;

// frmSet, "参数设置": writes a step program for the station's current device, checks it,
// keeps it in step files and applies it to a channel, the device or all devices. Modeless;
// every show() starts afresh from the selected channel, and closing discards the edits.
class StepEditorDialog : public QDialog {
    Q_OBJECT
public:
    StepEditorDialog(Station& station, QWidget* parent = nullptr);

    const StepEditor& editor() const { return editor_; }

Q_SIGNALS:
    // A program went to its targets: the main window repaints their step tables.
    void programApplied();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void showEditor();
    void leaveField(StepField field, QLineEdit* edit);
    const DeviceEntry& device() const;
    void commitRow();
    void openFile();
    void saveFile();
    void copyProgram(int slot);
    void applyProgram();

    Station& station_;
    StepEditor editor_;
    StepChooserDialog* chooser_ = nullptr;

    QTableWidget* gridSet_ = nullptr;
    QComboBox *cmbFlow_ = nullptr, *cmbMode_ = nullptr, *cmbStep_ = nullptr, *cmbChn_ = nullptr;
    QLineEdit *txtSet_ = nullptr, *txtLmt_ = nullptr, *txtLmtCur_ = nullptr, *txtLmtTim_ = nullptr;
    QLabel *lblTime_ = nullptr, *lblMin_ = nullptr;
};

}  // namespace klv
