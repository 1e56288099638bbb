#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "ui/qt_station_timers.h"
#include "ui/station_menus.h"
#include "view/tile_selection.h"

class QLabel;
class QStackedWidget;
class QSystemTrayIcon;

namespace klv {

struct Station;
class AboutDialog;
class CalibrationDialog;
class DataViewerWindow;
class DetailPage;
class DisplayDialog;
class StepEditorDialog;
class OverviewPage;
class PortDialog;
class ReportDialog;
class ScreeningDialog;

// frmCtrl, the station's main window: the overview and detail pages over the station's
// tables, the menus, the connect dialogs, the two loops and the notification-area icon.
class StationWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit StationWindow(Station& station, QWidget* parent = nullptr);
    ~StationWindow() override;

    // Connect as the port chooser's "连接设备" does; false when no device answered or the
    // port failed (the message has been shown).
    bool connectTo(int portNumber, int startNumber = 1, int stopNumber = 6);
    // Tick or untick "自动保存".
    void setAutoSave(bool on);
    // Repaint what changed in the tables since the last refresh.
    void refreshView();

    StationMenus& menus() { return menus_; }
    OverviewPage* overview() { return overview_; }
    DetailPage* detail() { return detail_; }
    bool inTray() const { return inTray_; }
    // Whether minimizing hides the window behind a notification-area icon; the desktop decides.
    void setTrayAvailable(bool available) { trayAvailable_ = available; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireMenus();
    void wirePanels();
    void onConnMenu();
    void onTilePress(int d, int n, int button);
    void showDetail(int d, int n);
    void showOverview();
    void saveChannel();
    void saveDevice();
    void hideInTray();
    void restoreFromTray();
    void showClock();
    void showConnection();

    Station& station_;
    StationMenus menus_;
    StationTimers timers_;
    TileSelection selection_;
    QStackedWidget* pages_ = nullptr;
    OverviewPage* overview_ = nullptr;
    DetailPage* detail_ = nullptr;
    PortDialog* portDialog_ = nullptr;
    StepEditorDialog* editor_ = nullptr;
    CalibrationDialog* calibration_ = nullptr;
    DisplayDialog* display_ = nullptr;
    AboutDialog* about_ = nullptr;
    DataViewerWindow* viewer_ = nullptr;
    QPointer<ScreeningDialog> screening_;  // while open; each deletes itself on close
    QPointer<ReportDialog> report_;
    QLabel* lblTime_ = nullptr;
    QLabel* lblConn_ = nullptr;
    QTimer clock_;
    QSystemTrayIcon* tray_ = nullptr;
    bool trayAvailable_ = false;
    bool inTray_ = false;
};

}  // namespace klv
