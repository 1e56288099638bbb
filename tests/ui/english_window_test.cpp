#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <functional>

#include "link/poll_cycle.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "run/channel_menu.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "support/window_fixture.h"
#include "ui/mach_widget.h"
#include "ui/overview_page.h"
#include "ui/translations.h"

using namespace klv;

namespace {

bool hasChinese(const QString& text)
{
    for (QChar c : text)
        if ((c.unicode() >= 0x3000 && c.unicode() <= 0x9fff) || (c.unicode() >= 0xff00 && c.unicode() <= 0xffef))
            return true;
    return false;
}

using Check = std::function<void(const QObject*, const QString&)>;

// The cells of a list, table or tree, the rows under each row too.
void checkCells(const QAbstractItemModel* m, const QModelIndex& parent, const QObject* view, const Check& check)
{
    for (int r = 0; r < m->rowCount(parent); ++r)
        for (int c = 0; c < m->columnCount(parent); ++c) {
            const QModelIndex cell = m->index(r, c, parent);
            check(view, cell.data().toString());
            checkCells(m, cell, view, check);
        }
}

// Every text of the window and its dialogs that is shown or spoken, hidden ones included,
// that holds a Chinese character; each with the object it was found on.
std::vector<std::string> chineseTexts(QWidget* window)
{
    std::vector<std::string> found;
    const Check check = [&found](const QObject* where, const QString& text) {
        if (hasChinese(text))
            found.push_back(where->objectName().toStdString() + " (" + where->metaObject()->className() +
                            "): " + text.toStdString());
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        for (const QString& t : {w->windowTitle(), w->toolTip(), w->accessibleName(), w->accessibleDescription()})
            check(w, t);
        if (auto* label = qobject_cast<QLabel*>(w))
            check(w, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            check(w, button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            check(w, group->title());
        if (auto* box = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < box->count(); ++i)
                check(w, box->itemText(i));
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
            const QAbstractItemModel* m = view->model();
            for (int c = 0; c < m->columnCount(); ++c)
                check(w, m->headerData(c, Qt::Horizontal).toString());
            checkCells(m, QModelIndex(), w, check);
        }
        for (QAction* a : w->actions())
            for (const QString& t : {a->text(), a->toolTip()})
                check(a, t);
    }
    return found;
}

struct EnglishWindow : WindowFixture {
    Translations texts{Language::English};

    EnglishWindow()
    {
        texts.install();
        bus.addUnit(0, 20);
        bus.addUnit(1, 22);
        bus.addUnit(2, 99);  // a model the station does not know
        makeWindow();
    }
    // A right press on a tile: it is selected and the control menu opens.
    void rightPress(int d, int n)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(30, 30), QPointF(30, 30), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(window->overview()->mach(d)->tile(n), &press);
    }
};

}  // namespace

TEST_F(EnglishWindow, NoWindowOrDialogShowsOrSaysChinese)
{
    window->menus().menuConn->trigger();  // the port dialog
    ASSERT_TRUE(connectWindow());
    installLiveData(station);
    TextGrid table = newStepTable();
    const char* row[5] = {"恒流放", "01.00", "02.75", "00.00", "0"};
    for (int c = 0; c < 5; ++c)
        table.at(1, c + 1) = row[c];
    applyProgram(station.program, station.link, 0, table, 1, kApplyAllTarget);

    // A start from the control menu asks in English; two channels then run for a while.
    for (int n : {0, 1}) {
        rightPress(0, n);
        window->menus().control->hide();
        window->menus().menuChnStart->trigger();
        QCoreApplication::sendPostedEvents();  // the control menu's items run once its event is over
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "Start channel 1-2?");
    for (int second = 0; second < 30; ++second) {
        pollTick(station);
        runTick(station);
        clock.advance(1000);
    }
    ASSERT_TRUE(station.run.slots[1].busy);
    window->refreshView();
    window->findChild<QPushButton*>(QStringLiteral("cmdList"))->click();

    for (QAction* open : {window->menus().menuSet, window->menus().menuAdj, window->menus().menuShow,
                          window->menus().menuAbout, window->menus().menuDataAna})
        open->trigger();
    window->overview()->cmdCap()->click();
    window->overview()->cmdData()->click();
    window->findChild<QPushButton*>(QStringLiteral("cmdCopy"))->click();  // the step chooser
    rightPress(1, 0);
    ASSERT_TRUE(window->menus().control->isVisible());

    EXPECT_EQ(window->windowTitle(), QStringLiteral("[Cellward] Multi-channel Battery Test System V1.0.0"));
    EXPECT_EQ(chineseTexts(window.get()), std::vector<std::string>{});
    window->menus().control->hide();
}
