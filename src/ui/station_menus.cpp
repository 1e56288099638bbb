#include "ui/station_menus.h"

#include <QMainWindow>
#include <QMenuBar>

#include "run/menu_enabling.h"

namespace klv {

namespace {

QAction* item(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* menu(QWidget* parent, const char* name, const char* caption)
{
    auto* m = new QMenu(QString::fromUtf8(caption), parent);
    m->setObjectName(QLatin1String(name));
    return m;
}

}  // namespace

StationMenus::StationMenus(QMainWindow* window)
{
    QMenu* file = menu(window, "menuFile", "文件(&F)");
    menuExit = item(file, "menuExit", "退出");
    menuExit->setShortcut(QKeySequence::Quit);

    QMenu* tools = menu(window, "menuTool", "工具(&T)");
    menuConn = item(tools, "menuConn", "连接设备");
    tools->addSeparator();
    menuShow = item(tools, "menuShow", "显示设置");
    menuDataAna = item(tools, "menuDataAna", "数据分析");
    tools->addSeparator();
    menuAutoSave = item(tools, "menuAutoSave", "自动保存");
    menuAutoSave->setCheckable(true);

    QMenu* help = menu(window, "menuHelp", "帮助(&H)");
    menuAbout = item(help, "menuAbout", "关于");

    window->menuBar()->addMenu(file);
    window->menuBar()->addMenu(tools);
    window->menuBar()->addMenu(help);

    control = menu(window, "menuCtrl", "控制");
    menuSet = item(control, "menuSet", "参数设置");
    control->addSeparator();
    menuChnStart = item(control, "menuChnStart", "通道启动");
    menuChnStop = item(control, "menuChnStop", "通道停止");
    menuChnCont = item(control, "menuChnCont", "通道继续");
    menuSaveChnData = item(control, "menuSaveChnData", "通道保存");
    control->addSeparator();
    menuStart = item(control, "menuStart", "设备启动");
    menuStop = item(control, "menuStop", "设备停止");
    menuCont = item(control, "menuCont", "设备继续");
    MenuSaveData = item(control, "MenuSaveData", "设备保存");
    control->addSeparator();
    menuSelStart = item(control, "menuSelStart", "多个启动");
    menuSelStop = item(control, "menuSelStop", "多个停止");
    menuSelCont = item(control, "menuSelCont", "多个继续");
    control->addSeparator();
    menuAdj = item(control, "menuAdj", "基准校准");
    apply(ControlMenuState{});
}

void StationMenus::apply(const ControlMenuState& s)
{
    menuSet->setEnabled(s.menuSet);
    menuChnStart->setEnabled(s.menuChnStart);
    menuChnStop->setEnabled(s.menuChnStop);
    menuChnCont->setEnabled(s.menuChnCont);
    menuSaveChnData->setEnabled(s.menuSaveChnData);
    menuStart->setEnabled(s.menuStart);
    menuStop->setEnabled(s.menuStop);
    menuCont->setEnabled(s.menuCont);
    MenuSaveData->setEnabled(s.MenuSaveData);
    menuSelStart->setEnabled(s.menuSelStart);
    menuSelStop->setEnabled(s.menuSelStop);
    menuSelCont->setEnabled(s.menuSelCont);
    menuAdj->setEnabled(s.menuAdj);
}

void StationMenus::showConnected(bool connected)
{
    menuConn->setText(QString::fromUtf8(connected ? "断开设备" : "连接设备"));
    if (connected)
        menuSet->setEnabled(true);
}

}  // namespace klv
