#include "ui/overview_page.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "station.h"
#include "ui/cell_field.h"
#include "ui/mach_widget.h"
#include "ui/qt_colour.h"
#include "ui/text_grid_widget.h"

namespace klv {

namespace {

constexpr int kTileBackground = 14737632;

template <typename W>
W* named(W* widget, const char* name, bool accessible = true)
{
    widget->setObjectName(QLatin1String(name));
    if (accessible)
        widget->setAccessibleName(QLatin1String(name));
    return widget;
}

QPushButton* header(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = named(new QPushButton(caption, parent), name, false);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(
        QStringLiteral("QPushButton{font-weight:bold;text-align:left;padding:4px 6px;"
                       "background:#e4e7eb;border:1px solid #c8ccd1;}"));
    return button;
}

}  // namespace

OverviewPage::OverviewPage(Station& station, QWidget* parent) : QWidget(parent), station_(station)
{
    setObjectName(QStringLiteral("overviewPage"));
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(buildPanels(), 1);
    top->addWidget(buildSideColumn());

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(100 / BatteryWidget::kTwipsPerPixel);
    auto button = [&](const QString& caption, const char* name) {
        auto* b = named(new QPushButton(caption, this), name, false);
        b->setMinimumWidth(96);
        bottom->addWidget(b);
        return b;
    };
    QPushButton* cmdGraph = button(tr("图形显示"), "cmdGraph");
    QPushButton* cmdList = button(tr("列表显示"), "cmdList");
    cmdCap_ = button(tr("容量筛选"), "cmdCap");
    cmdData_ = button(tr("数据报表"), "cmdData");
    cmdCap_->setEnabled(false);
    cmdData_->setEnabled(false);
    bottom->addStretch(1);
    bottom->addWidget(buildLegend());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(cmdGraph, &QPushButton::clicked, this, [this] { views_->setCurrentIndex(0); });
    connect(cmdList, &QPushButton::clicked, this, [this] {
        views_->setCurrentIndex(1);
        gridView_->gridModel().refresh();
    });
    refresh();
}

QWidget* OverviewPage::buildPanels()
{
    auto* picture = named(new QWidget, "picMach");
    picture->setAutoFillBackground(true);
    QPalette pal = picture->palette();
    pal.setColor(QPalette::Window, toQColor(kTileBackground));
    picture->setPalette(pal);
    auto* column = new QVBoxLayout(picture);
    column->setContentsMargins(0, 6, 0, 6);
    column->setSpacing(4);
    for (int d = 0; d < kMaxDevices; ++d) {
        machs_[d] = new MachWidget(station_.ui.panels[d], d, picture);
        column->addWidget(machs_[d], 0, Qt::AlignHCenter);
    }
    column->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(picture);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::StyledPanel);

    gridView_ = new TextGridWidget(QStringLiteral("gridView"));
    gridView_->gridModel().setGrid(&station_.ui.gridView);
    gridView_->setColumnTwips({1000, 1000, 1000, 1000, -1, -1, -1, -1, -1, 1000});

    views_ = new QStackedWidget;
    views_->addWidget(scroll);
    views_->addWidget(gridView_);
    return views_;
}

QWidget* OverviewPage::buildSideColumn()
{
    auto* side = new QWidget;
    side->setFixedWidth(230);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    column->addWidget(header(tr("设备列表"), "cmdDevList", side));
    treeDev_ = named(new QTreeWidget, "treeDev");
    treeDev_->setHeaderHidden(true);
    lstDev_ = named(new QListWidget, "lstDev");
    devices_ = new QStackedWidget;
    devices_->addWidget(treeDev_);
    devices_->addWidget(lstDev_);
    column->addWidget(devices_, 2);

    column->addSpacing(8);
    column->addWidget(header(tr("历史记录"), "cmdHistory", side));
    lstLog_ = named(new QListWidget, "lstLog");
    column->addWidget(lstLog_, 3);
    return side;
}

QWidget* OverviewPage::buildLegend()
{
    auto* frame = named(new QGroupBox, "fraLegend", false);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(8, 2, 8, 2);
    const QString captions[4] = {tr("电压:"), tr("电流:"), tr("容量:"), tr("能量:")};
    const char* labels[4] = {"lblVol", "lblCur", "lblCap", "lblpwr"};
    const char* shapes[4] = {"shpVol", "shpCur", "shpCap", "shpPwr"};
    for (int i = 0; i < 4; ++i) {
        auto* label = named(new QToolButton(frame), labels[i], false);
        label->setText(captions[i]);
        label->setAutoRaise(true);
        label->setToolTip(tr("选择颜色"));
        swatches_[i] = named(new QFrame(frame), shapes[i]);
        swatches_[i]->setFixedSize(28, 14);
        swatches_[i]->setFrameShape(QFrame::Box);
        swatches_[i]->setAutoFillBackground(true);
        row->addWidget(label);
        row->addWidget(swatches_[i]);
        row->addSpacing(6);
        const auto item = static_cast<LegendItem>(i);
        connect(label, &QToolButton::clicked, this, [this, item] { Q_EMIT legendClicked(item); });
    }
    return frame;
}

void OverviewPage::refreshDevices()
{
    QStringList lines;
    for (const TreeNode& node : station_.ui.treeDev)
        lines << QString::fromStdString(node.text);
    if (lines == shownDevices_)
        return;
    shownDevices_ = lines;
    lstDev_->clear();
    for (const std::string& line : station_.ui.lstDev)
        lstDev_->addItem(QString::fromStdString(line));
    treeDev_->clear();
    QTreeWidgetItem* root = nullptr;
    for (const TreeNode& node : station_.ui.treeDev) {
        auto* item = node.parentKey.empty() || !root ? new QTreeWidgetItem(treeDev_) : new QTreeWidgetItem(root);
        item->setText(0, QString::fromStdString(node.text));
        if (node.parentKey.empty())
            root = item;
    }
    treeDev_->expandAll();
}

void OverviewPage::setTabTile(TilePlace at)
{
    mach(tabTile_.device)->tile(tabTile_.channel)->setFocusPolicy(Qt::ClickFocus);
    tabTile_ = at;
    mach(at.device)->tile(at.channel)->setFocusPolicy(Qt::StrongFocus);
}

void OverviewPage::focusTile(TilePlace at)
{
    setTabTile(at);
    mach(at.device)->tile(at.channel)->setFocus(Qt::OtherFocusReason);
}

void OverviewPage::refresh()
{
    for (int d = 0; d < kMaxDevices; ++d) {
        machs_[d]->refresh();
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            const QString cell = cellText(station_.run.slots[slotOf(d, n)].cell);
            if (machs_[d]->tile(n)->toolTip() != cell)
                machs_[d]->tile(n)->setToolTip(cell);
        }
    }
    // Tab comes back to the tile a click gave the focus, else to the first whose channel exists.
    for (int d = 0; d < kMaxDevices; ++d)
        for (int n = 0; n < kChannelsPerDevice; ++n)
            if (machs_[d]->tile(n)->hasFocus())
                setTabTile({d, n});
    if (!station_.ui.panels[tabTile_.device].Conn[tabTile_.channel])
        setTabTile(moveTileFocus(station_, {0, 0}, TileKey::Home));
    if (views_->currentIndex() == 1)
        gridView_->gridModel().refresh();
    refreshDevices();
    for (int i = lstLog_->count(); i < static_cast<int>(station_.ui.history.size()); ++i) {
        lstLog_->addItem(QString::fromStdString(station_.ui.history[i]));
        lstLog_->scrollToBottom();
    }
    const int colours[4] = {station_.ui.shpVol, station_.ui.shpCur, station_.ui.shpCap, station_.ui.shpPwr};
    for (int i = 0; i < 4; ++i) {
        QPalette pal = swatches_[i]->palette();
        if (pal.color(QPalette::Window) != toQColor(colours[i])) {
            pal.setColor(QPalette::Window, toQColor(colours[i]));
            swatches_[i]->setPalette(pal);
        }
    }
}

}  // namespace klv
