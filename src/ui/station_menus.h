#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

class QMainWindow;

namespace klv {

struct ControlMenuState;

// The menu bar ("文件", "工具", "帮助") and the "控制" menu that opens on the tiles.
// Every item carries its name as object name; its caption is its accessible name.
struct StationMenus {
    QAction* menuExit = nullptr;
    QAction* menuConn = nullptr;
    QAction* menuShow = nullptr;
    QAction* menuDataAna = nullptr;
    QAction* menuAutoSave = nullptr;
    QAction* menuAbout = nullptr;

    QMenu* control = nullptr;
    QAction* menuSet = nullptr;
    QAction* menuChnStart = nullptr;
    QAction* menuChnStop = nullptr;
    QAction* menuChnCont = nullptr;
    QAction* menuSaveChnData = nullptr;
    QAction* menuStart = nullptr;
    QAction* menuStop = nullptr;
    QAction* menuCont = nullptr;
    QAction* MenuSaveData = nullptr;
    QAction* menuSelStart = nullptr;
    QAction* menuSelStop = nullptr;
    QAction* menuSelCont = nullptr;
    QAction* menuAdj = nullptr;

    // Build the menus on the window; the control items start disabled, menuSet among them.
    explicit StationMenus(QMainWindow* window);
    void apply(const ControlMenuState& state);
    void showConnected(bool connected);

    Q_DECLARE_TR_FUNCTIONS(klv::StationMenus)
};

}  // namespace klv
