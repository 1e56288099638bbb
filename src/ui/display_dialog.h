#pragma once

#include <QDialog>

#include "view/display_settings.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace klv {

struct Station;

// frmShow, "显示设置": the look of the six curve graphs. "确定" applies the choices to the
// graphs, stores the nine "DATA" keys of klv.ini and signals displayChanged(); "取消" and the
// close box change nothing. Modeless, kept above other windows; every show() starts from
// what graph 0 shows.
class DisplayDialog : public QDialog {
    Q_OBJECT
public:
    DisplayDialog(Station& station, QWidget* parent = nullptr);

    const DisplaySettings& choices() const { return choices_; }

Q_SIGNALS:
    // The graphs in station.ui.graphs took a new look: repaint their widgets.
    void displayChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* swatch(const char* name, int DisplaySettings::*colour);
    void showChoices();
    void apply();

    Station& station_;
    DisplaySettings choices_;
    std::vector<std::pair<QPushButton*, int DisplaySettings::*>> swatches_;
    QComboBox *cmbDot_ = nullptr, *cmbDot2_ = nullptr, *cmbLine_ = nullptr;
    QCheckBox* chkLabel_ = nullptr;
};

}  // namespace klv
