#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/qt_station_timers.h"
#include "ui/station_menus.h"
#include "view/tile_selection.h"

class QLabel;
class QStackedWidget;
class QSystemTrayIcon;

namespace klv {

struct Station;
class Link;
enum class ConnectResult;
class SerialPort;
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
    // The conversation runs on link; the port chooser searches on a port of its own, never
    // on the live one.
    StationWindow(Station& station, Link& link, SerialPort& searchPort, QWidget* parent = nullptr);
    ~StationWindow() override;

    using Connected = std::function<void(bool connected)>;
    // Connect as the port chooser's "连接设备" does. The scan runs on the link while the
    // window goes on; then is told whether devices answered (a failed port's message has been
    // shown). Refused, and then not called, while another scan is under way.
    void connectTo(int portNumber, int startNumber = 1, int stopNumber = 6, Connected then = {});
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
    PortDialog& portDialog();
    StepEditorDialog& editor();
    CalibrationDialog& calibration();
    DisplayDialog& display();
    AboutDialog& about();
    DataViewerWindow& viewer();
    void wirePanels();
    void onConnMenu();
    void scanEnded(int portNumber, ConnectResult result);
    // A press of a button on a tile, by the mouse or by a key (Space, the menu key).
    void onTilePress(TilePlace at, int button, bool byKey);
    void onTileKey(TilePlace at, int key, int shift);
    void showDetail(int d, int n);
    void showOverview();
    void saveChannel();
    void saveDevice();
    void hideInTray();
    void restoreFromTray();
    void showClock();
    void showConnection();

    Station& station_;
    Link& link_;
    SerialPort& searchPort_;
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
