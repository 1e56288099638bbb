#pragma once

#include <QDialog>

namespace klv {

// frmAbout, "关于": the application title, version, build and the maker's web address,
// which opens in the browser when clicked. Modeless.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace klv
