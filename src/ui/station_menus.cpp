#include "ui/station_menus.h"

#include <QMainWindow>
#include <QMenuBar>

#include "run/menu_enabling.h"

namespace klv {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* menu(QWidget* parent, const char* name, const QString& caption)
{
    auto* m = new QMenu(caption, parent);
    m->setObjectName(QLatin1String(name));
    return m;
}

}  // namespace

StationMenus::StationMenus(QMainWindow* window)
{
    QMenu* file = menu(window, "menuFile", tr("文件(&F)"));
    menuExit = item(file, "menuExit", tr("退出"));
    menuExit->setShortcut(QKeySequence::Quit);

    QMenu* tools = menu(window, "menuTool", tr("工具(&T)"));
    menuConn = item(tools, "menuConn", tr("连接设备"));
    tools->addSeparator();
    menuShow = item(tools, "menuShow", tr("显示设置"));
    menuDataAna = item(tools, "menuDataAna", tr("数据分析"));
    tools->addSeparator();
    menuAutoSave = item(tools, "menuAutoSave", tr("自动保存"));
    menuAutoSave->setCheckable(true);

    QMenu* help = menu(window, "menuHelp", tr("帮助(&H)"));
    menuAbout = item(help, "menuAbout", tr("关于"));

    window->menuBar()->addMenu(file);
    window->menuBar()->addMenu(tools);
    window->menuBar()->addMenu(help);

    control = menu(window, "menuCtrl", tr("控制"));
    menuSet = item(control, "menuSet", tr("参数设置"));
    control->addSeparator();
    menuChnStart = item(control, "menuChnStart", tr("通道启动"));
    menuChnStop = item(control, "menuChnStop", tr("通道停止"));
    menuChnCont = item(control, "menuChnCont", tr("通道继续"));
    menuSaveChnData = item(control, "menuSaveChnData", tr("通道保存"));
    control->addSeparator();
    menuStart = item(control, "menuStart", tr("设备启动"));
    menuStop = item(control, "menuStop", tr("设备停止"));
    menuCont = item(control, "menuCont", tr("设备继续"));
    MenuSaveData = item(control, "MenuSaveData", tr("设备保存"));
    control->addSeparator();
    menuSelStart = item(control, "menuSelStart", tr("多个启动"));
    menuSelStop = item(control, "menuSelStop", tr("多个停止"));
    menuSelCont = item(control, "menuSelCont", tr("多个继续"));
    control->addSeparator();
    menuAdj = item(control, "menuAdj", tr("基准校准"));
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
    menuConn->setText(connected ? tr("断开设备") : tr("连接设备"));
    if (connected)
        menuSet->setEnabled(true);
}

}  // namespace klv
