#include "ui/station_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QSystemTrayIcon>

#include "common/brand.h"
#include "common/format.h"
#include "common/screen_text.h"
#include "data/save_ops.h"
#include "link/connection.h"
#include "platform/file_chooser.h"
#include "platform/message_box.h"
#include "run/channel_menu.h"
#include "run/lab_feed.h"
#include "run/live_data.h"
#include "run/menu_enabling.h"
#include "station.h"
#include "ui/about_dialog.h"
#include "ui/brand_icon.h"
#include "ui/calibration_dialog.h"
#include "ui/cell_field.h"
#include "ui/connect_progress.h"
#include "ui/context_menu_access.h"
#include "ui/data_viewer_window.h"
#include "ui/detail_page.h"
#include "ui/display_dialog.h"
#include "ui/mach_widget.h"
#include "ui/overview_page.h"
#include "ui/port_dialog.h"
#include "ui/report_dialog.h"
#include "ui/screening_dialog.h"
#include "ui/step_editor_dialog.h"
#include "version.h"
#include "view/station_startup.h"

namespace klv {

namespace {

constexpr int kTrayTipLength = 63;

QString caption()
{
    return QStringLiteral("[%1] %2 V%3.%4.%5")
        .arg(QLatin1String(kBrandWord), QCoreApplication::translate("Brand", kAppTitle))
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

// Closing is refused while connected to devices that all still answer.
bool mayClose(const Station& station)
{
    if (!station.link.connected)
        return true;
    for (int d = 0; d < kMaxDevices; ++d)
        if (station.link.devices[d].modelCode != 0 && station.link.devices[d].offline)
            return true;
    return false;
}

// The keys that move the focus over the tiles.
const struct {
    int key;
    TileKey move;
} kTileKeys[] = {{Qt::Key_Left, TileKey::Left}, {Qt::Key_Right, TileKey::Right}, {Qt::Key_Up, TileKey::Up},
                 {Qt::Key_Down, TileKey::Down}, {Qt::Key_Home, TileKey::Home},   {Qt::Key_End, TileKey::End}};

}  // namespace

StationWindow::StationWindow(Station& station, Link& link, SerialPort& searchPort, QWidget* parent)
        : QMainWindow(parent), station_(station), link_(link), searchPort_(searchPort), menus_(this),
          timers_(station, link, this)
{
    setObjectName(QStringLiteral("frmCtrl"));
    setWindowTitle(caption());
    setWindowIcon(brandIcon());
    startUpStation(station_);
    installLiveData(station_);

    overview_ = new OverviewPage(station_);
    detail_ = new DetailPage(station_);
    pages_ = new QStackedWidget;
    pages_->addWidget(overview_);
    pages_->addWidget(detail_);
    setCentralWidget(pages_);

    lblConn_ = new QLabel;
    lblConn_->setObjectName(QStringLiteral("lblConn"));
    lblTime_ = new QLabel;
    lblTime_->setObjectName(QStringLiteral("lblTime"));
    lblTime_->setAccessibleName(QStringLiteral("lblTime"));
    statusBar()->addWidget(lblConn_, 1);
    statusBar()->addPermanentWidget(lblTime_);
    // Stays until the next message: a test whose backup cannot be written must not go unseen.
    station_.tellOperator = [this](const std::string& line) { statusBar()->showMessage(QString::fromStdString(line)); };

    wireMenus();
    wirePanels();
    connect(&timers_, &StationTimers::polled, this, [this] {
        showConnection();
        refreshView();
    });
    connect(&timers_, &StationTimers::ran, this, &StationWindow::refreshView);
    connect(&clock_, &QTimer::timeout, this, &StationWindow::showClock);
    clock_.start(1000);
    qApp->installEventFilter(this);
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();

    resize(1080, 780);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height() - 27) / 2);
    }
    showClock();
    showConnection();
    refreshView();
}

StationWindow::~StationWindow()
{
    station_.tellOperator = nullptr;
    qApp->removeEventFilter(this);
}

void StationWindow::wireMenus()
{
    StationMenus& m = menus_;
    connect(m.menuExit, &QAction::triggered, this, &QWidget::close);
    connect(m.menuConn, &QAction::triggered, this, &StationWindow::onConnMenu);
    const auto open = [](QWidget* dialog) {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    };
    connect(m.menuShow, &QAction::triggered, this, [=, this] { open(&display()); });
    connect(m.menuDataAna, &QAction::triggered, this, [=, this] { open(&viewer()); });
    connect(m.menuAbout, &QAction::triggered, this, [=, this] { open(&about()); });
    connect(m.menuAutoSave, &QAction::toggled, this, [this](bool on) { station_.run.autoSave = on; });
    connect(m.menuSet, &QAction::triggered, this, [=, this] { open(&editor()); });
    connect(m.menuAdj, &QAction::triggered, this, [this] { calibration().openForSelection(); });
    // Taken through the accessibility tree, an item is triggered while its menu is open and
    // the caller waits: the menu closes, and what asks or chooses runs once the call is answered.
    exposeContextMenu(m.control);
    connect(m.control, &QMenu::triggered, m.control, &QMenu::hide);
    connect(m.menuSaveChnData, &QAction::triggered, this, &StationWindow::saveChannel, Qt::QueuedConnection);
    connect(m.MenuSaveData, &QAction::triggered, this, &StationWindow::saveDevice, Qt::QueuedConnection);
    const struct {
        QAction* action;
        ChannelOp op;
        OpScope scope;
    } ops[] = {
        {m.menuChnStart, ChannelOp::Start, OpScope::Channel},   {m.menuChnStop, ChannelOp::Stop, OpScope::Channel},
        {m.menuChnCont, ChannelOp::Continue, OpScope::Channel}, {m.menuStart, ChannelOp::Start, OpScope::Device},
        {m.menuStop, ChannelOp::Stop, OpScope::Device},         {m.menuCont, ChannelOp::Continue, OpScope::Device},
        {m.menuSelStart, ChannelOp::Start, OpScope::Selected},  {m.menuSelStop, ChannelOp::Stop, OpScope::Selected},
        {m.menuSelCont, ChannelOp::Continue, OpScope::Selected}};
    for (const auto& o : ops)
        connect(
            o.action, &QAction::triggered, this,
            [this, op = o.op, scope = o.scope] {
                // A single channel's start names its cell; a device's or a selection's name none.
                const bool namesCell = op == ChannelOp::Start && scope == OpScope::Channel &&
                                       !confirmationText(station_, op, scope).empty();
                const int slot = slotOf(station_.ui.currentDevice, station_.ui.selectedChannel);
                if (namesCell && !askCellToStart(station_, slot))
                    return;
                runMenuOp(station_, op, scope);
                if (namesCell)
                    station_.run.slots[slot].cellToStart = {};  // taken by the start, or not wanted
                refreshView();
            },
            Qt::QueuedConnection);
    // Report and screening read the bench as it is when they open: a fresh one each time one
    // is not open already; a second press brings the open one to the front.
    connect(overview_->cmdCap(), &QPushButton::clicked, this, [=, this] {
        if (!screening_) {
            screening_ = new ScreeningDialog(station_, this);
            screening_->setAttribute(Qt::WA_DeleteOnClose);
            connect(screening_, &ScreeningDialog::tilesRecoloured, this, &StationWindow::refreshView);
        }
        open(screening_);
    });
    connect(overview_->cmdData(), &QPushButton::clicked, this, [=, this] {
        if (!report_) {
            report_ = new ReportDialog(station_, this);
            report_->setAttribute(Qt::WA_DeleteOnClose);
        }
        open(report_);
    });
}

// Each dialog is built the first time the operator asks for it: the window shows sooner, and a
// session opens few of them.
PortDialog& StationWindow::portDialog()
{
    if (!portDialog_) {
        portDialog_ = new PortDialog(station_, searchPort_, this);
        connect(portDialog_, &PortDialog::chosen, this,
                [this](int port, int start, int stop) { connectTo(port, start, stop); });
    }
    return *portDialog_;
}

StepEditorDialog& StationWindow::editor()
{
    if (!editor_) {
        editor_ = new StepEditorDialog(station_, this);
        connect(editor_, &StepEditorDialog::programApplied, this, &StationWindow::refreshView);
    }
    return *editor_;
}

CalibrationDialog& StationWindow::calibration()
{
    if (!calibration_)
        calibration_ = new CalibrationDialog(station_, this);
    return *calibration_;
}

DisplayDialog& StationWindow::display()
{
    if (!display_) {
        display_ = new DisplayDialog(station_, this);
        connect(display_, &DisplayDialog::displayChanged, this, &StationWindow::refreshView);
    }
    return *display_;
}

AboutDialog& StationWindow::about()
{
    if (!about_)
        about_ = new AboutDialog(this);
    return *about_;
}

DataViewerWindow& StationWindow::viewer()
{
    if (!viewer_)
        viewer_ = new DataViewerWindow(station_, this);
    return *viewer_;
}

void StationWindow::wirePanels()
{
    for (int d = 0; d < kMaxDevices; ++d) {
        MachWidget* mach = overview_->mach(d);
        connect(mach, &MachWidget::MouseDown, this, [this, d](int n, int button, int, int, int) {
            onTilePress({d, n}, button, false);
        });
        connect(mach, &MachWidget::KeyDown, this, [this, d](int n, int key, int shift) {
            onTileKey({d, n}, key, shift);
        });
        connect(mach, &MachWidget::MouseMove, this, [this, d](int n, int, int, int, int) {
            dragOverTile(station_, selection_, d, n);
            overview_->refresh();
        });
        connect(mach, &MachWidget::DblClick, this, [this, d](int n) { showDetail(d, n); });
    }
    connect(overview_, &OverviewPage::legendClicked, this, [this](LegendItem item) {
        const int colour = chooseColour();
        if (colour < 0)
            return;
        setLegendColour(station_, item, colour);
        refreshView();
    });
    connect(detail_, &DetailPage::DblClick, this, &StationWindow::showOverview);
    auto* back = new QShortcut(QKeySequence(Qt::Key_Escape), detail_);
    connect(back, &QShortcut::activated, this, &StationWindow::showOverview);
}

void StationWindow::connectTo(int portNumber, int startNumber, int stopNumber, Connected then)
{
    auto* progress = new ConnectProgress(this);
    auto scan = std::make_unique<ConnectScan>(station_, portNumber, scanRange(startNumber, stopNumber),
                                              [progress](const std::string& text) { progress->say(text); });
    const ConnectScan& running = *scan;
    const bool started = link_.run(std::move(scan), [=, this, &running] {
        delete progress;
        const ConnectResult result = running.result();
        scanEnded(portNumber, result);
        if (then)
            then(result == ConnectResult::Connected);
    });
    if (!started)
        delete progress;  // the link is still busy with a scan or a tick
}

void StationWindow::scanEnded(int portNumber, ConnectResult result)
{
    if (result == ConnectResult::Connected) {
        timers_.start();
        menus_.showConnected(true);
        overview_->cmdCap()->setEnabled(true);
        overview_->cmdData()->setEnabled(true);
    } else if (result == ConnectResult::NoDevice) {
        lblConn_->setText(tr("COM%1: 没有设备应答").arg(portNumber));
    }
    if (result != ConnectResult::NoDevice)
        showConnection();
    refreshView();
}

void StationWindow::onConnMenu()
{
    if (!station_.link.connected) {
        PortDialog& dialog = portDialog();
        dialog.prepare();
        dialog.adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            dialog.move(screen->availableGeometry().center() - dialog.rect().center());
        dialog.show();
        dialog.raise();
        return;
    }
    if (!disconnectBench(station_))
        return;
    timers_.stopRun();
    menus_.showConnected(false);
    overview_->cmdCap()->setEnabled(false);
    overview_->cmdData()->setEnabled(false);
    showConnection();
    refreshView();
}

void StationWindow::setAutoSave(bool on) { menus_.menuAutoSave->setChecked(on); }

void StationWindow::onTilePress(TilePlace at, int button, bool byKey)
{
    const bool openMenu = byKey ? pressTileByKey(station_, selection_, at, button)
                                : pressTile(station_, selection_, at.device, at.channel, button);
    overview_->refresh();
    if (!openMenu)
        return;
    if (auto state = controlMenuFor(station_, at.device, at.channel)) {
        state->menuAdj = state->menuAdj && !(calibration_ && calibration_->isOpen());  // one calibration at a time
        menus_.apply(*state);
        if (!byKey) {
            menus_.control->popup(QCursor::pos());
            return;
        }
        const QWidget* tile = overview_->mach(at.device)->tile(at.channel);
        menus_.control->popup(tile->mapToGlobal(tile->rect().center()));
        for (QAction* action : menus_.control->actions())
            if (action->isEnabled() && !action->isSeparator()) {
                menus_.control->setActiveAction(action);  // the keyboard starts on the first item it can take
                break;
            }
    }
}

void StationWindow::onTileKey(TilePlace at, int key, int shift)
{
    if (key == Qt::Key_Space || key == Qt::Key_Menu) {
        onTilePress(at, key == Qt::Key_Space ? kLeftButton : kRightButton, true);
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        showDetail(at.device, at.channel);
    } else {
        for (const auto& k : kTileKeys)
            if (k.key == key)
                overview_->focusTile((shift & 1) != 0 ? extendTileRange(station_, selection_, at, k.move)
                                                      : moveTileFocus(station_, at, k.move));
        overview_->refresh();
    }
}

void StationWindow::showDetail(int d, int n)
{
    chooseTile(station_, d, n);
    detail_->showChannel(d, n);
    pages_->setCurrentWidget(detail_);
    refreshView();
}

void StationWindow::showOverview()
{
    pages_->setCurrentWidget(overview_);
    overview_->focusTile(overview_->tabTile());
    refreshView();
}

void StationWindow::saveChannel()
{
    const int d = station_.ui.currentDevice, n = station_.ui.selectedChannel;
    if (d < 0 || n < 0)
        return;
    const std::string path = chooseFile(
        {true, saveChannelTitle(d, n), kDataFileFilter, defaultSaveName(station_), station_.home + "/Data", ""});
    klv::saveChannel(station_, d, n, path);
}

void StationWindow::saveDevice()
{
    const int d = station_.ui.currentDevice;
    if (d < 0)
        return;
    const std::string path =
        chooseFile({true, saveDeviceTitle(d), kDataFileFilter, defaultSaveName(station_), station_.home + "/Data", ""});
    klv::saveDevice(station_, d, path);
}

void StationWindow::refreshView()
{
    overview_->refresh();
    detail_->refresh();
}

void StationWindow::showClock()
{
    const LocalDateTime now = station_.clock.now();
    lblTime_->setText(QString::fromStdString(logDate(now) + "  " + logTime(now)));
}

void StationWindow::showConnection()
{
    if (!station_.link.connected) {
        lblConn_->setText(tr("未连接"));
        return;
    }
    if (station_.link.portLost) {
        lblConn_->setText(tr("COM%1 已断开，正在重新连接").arg(station_.link.portNumber));
        return;
    }
    int devices = 0, silent = 0;
    for (const DeviceEntry& device : station_.link.devices) {
        devices += device.modelCode != 0 ? 1 : 0;
        silent += device.modelCode != 0 && device.offline ? 1 : 0;
    }
    QString text = tr("COM%1  ·  %2 台设备").arg(station_.link.portNumber).arg(devices);
    if (silent > 0)
        text += tr("  ·  %1 台无应答").arg(silent);
    lblConn_->setText(text);
}

void StationWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    // Rows still waiting for the lab database stay in the outbox for the next start.
    const std::int64_t waiting = station_.lab ? station_.lab->waitingRows() : 0;
    const std::string question =
        waiting > 0 ? fillIn(screenText(KLV_TEXT("Message", "关闭软件？实验室库还有 %1 行待发, 下次启动时发送。")),
                             {std::to_string(waiting)})
                    : QT_TRANSLATE_NOOP("Message", "关闭软件？");
    if (showMessage(question, MsgIcon::Information, MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    if (!mayClose(station_)) {
        showMessage(QT_TRANSLATE_NOOP("Message", "请先断开设备连接！"), MsgIcon::Information);
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
    if (tray_)
        tray_->hide();
    event->accept();
}

void StationWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !inTray_ && trayAvailable_)
        hideInTray();
}

void StationWindow::hideInTray()
{
    inTray_ = true;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(windowIcon(), this);
        tray_->setObjectName(QStringLiteral("trayIcon"));
        connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                restoreFromTray();
        });
    }
    tray_->setToolTip(windowTitle().left(kTrayTipLength));
    tray_->show();
    QTimer::singleShot(0, this, &QWidget::hide);
}

void StationWindow::restoreFromTray()
{
    tray_->hide();
    showNormal();
    activateWindow();
    inTray_ = false;
}

bool StationWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this)
            selection_.keyHeld = event->type() == QEvent::KeyPress;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace klv
