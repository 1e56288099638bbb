#include "ui/data_viewer_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "data/bdf_export.h"
#include "data/cycle_table.h"
#include "data/save_ops.h"
#include "data/step_export.h"
#include "platform/file_chooser.h"
#include "platform/input_box.h"
#include "platform/qt_picture_file.h"
#include "station.h"
#include "ui/curve_graph_widget.h"
#include "ui/cycle_page_widget.h"
#include "ui/qt_dialog_support.h"
#include "ui/qt_window_place.h"
#include "ui/shown_word.h"
#include "ui/text_grid_widget.h"

namespace klv {

namespace {

constexpr int kRaiseTwips = 200;

}  // namespace

DataViewerWindow::DataViewerWindow(Station& station, QWidget* parent)
        : QMainWindow(parent), station_(station), viewer_(lookOf(station.ui.graphs[0]))
{
    setObjectName(QStringLiteral("frmData"));
    setWindowTitle(tr("曲线数据"));
    graph_ = new CurveGraphWidget(viewer_.graph());
    graph_->setObjectName(QStringLiteral("CurveGraph1"));
    graph_->setAccessibleName(tr("曲线"));
    graph_->setMinimumSize(420, 280);
    graph_->installEventFilter(this);
    stepGrid_ = new TextGridWidget(QStringLiteral("gridStep"));
    stepGrid_->gridModel().setGrid(&viewer_.stepTable());
    // Column 0 is 800 twips; the other five share the rest equally at every size.
    stepGrid_->setColumnTwips({800, -1, -1, -1, -1, -1});
    resultGrid_ = new TextGridWidget(QStringLiteral("gridResult"));
    resultGrid_->gridModel().setGrid(&viewer_.resultTable());
    resultGrid_->setColumnTwips({700, 700, 800, 1000, 1000, -1});

    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("tabPages"));
    pages_->setAccessibleName(tr("页面"));
    pages_->addTab(buildCurvesPage(), tr("曲线(&V)"));
    cycles_ = new CyclePageWidget(viewer_.cycles());
    pages_->addTab(cycles_, tr("循环(&Y)"));
    connect(cycles_, &CyclePageWidget::saveTableAsked, this, &DataViewerWindow::saveCycles);
    connect(cycles_, &CyclePageWidget::savePictureAsked, this, [this](CurveGraphWidget* g) { savePicture(*g); });
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(pages_);
    setCentralWidget(central);

    buildMenus();
    // A window of its own, not a dialog: Esc closes it as it closes the dialogs.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    status_ = new QLabel;
    progress_ = new QProgressBar;
    progress_->setRange(0, 0);
    progress_->setMaximumWidth(160);
    progress_->hide();
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    resize(1080, 720);
    drawTimer_.setSingleShot(true);
    drawTimer_.setInterval(0);
    connect(&drawTimer_, &QTimer::timeout, this, &DataViewerWindow::drawSlice);
    updateControls();
}

DataViewerWindow::~DataViewerWindow()
{
    loader_.abandon();
    // The graph and the grids show the viewer's state: they go before it does.
    delete takeCentralWidget();
}

void DataViewerWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    open_ = file->addAction(tr("打开数据"), this, &DataViewerWindow::openChosen);
    open_->setObjectName(QStringLiteral("menuOpen"));
    export_ = file->addAction(tr("保存单步"), this, &DataViewerWindow::exportChosen);
    export_->setObjectName(QStringLiteral("menuSaveStep"));
    QAction* picture = file->addAction(tr("保存曲线"), this, [this] { savePicture(*graph_); });
    picture->setObjectName(QStringLiteral("menuSavePicture"));
    QAction* bdf = file->addAction(tr("保存BDF"), this, &DataViewerWindow::saveBdf);
    bdf->setObjectName(QStringLiteral("menuSaveBdf"));

    QMenu* curve = menuBar()->addMenu(tr("曲线(&C)"));
    legend_ = curve->addAction(tr("显示标识"));
    legend_->setObjectName(QStringLiteral("menuLegend"));
    legend_->setCheckable(true);
    connect(legend_, &QAction::toggled, this, [this](bool on) { viewer_.showLegends(on); });
    QAction* title = curve->addAction(tr("修改标题"), this, &DataViewerWindow::editTitle);
    title->setObjectName(QStringLiteral("menuTitle"));
}

QWidget* DataViewerWindow::buildCurvesPage()
{
    auto* top = new QWidget;
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 0, 0);
    topRow->addWidget(graph_, 1);
    topRow->addWidget(buildViewPanel());

    auto* tables = new QSplitter(Qt::Horizontal);
    tables->addWidget(stepGrid_);
    tables->addWidget(resultGrid_);
    tables->setStretchFactor(0, 3);
    tables->setStretchFactor(1, 2);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(tables);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);
    // The tables show all ten step rows without scrolling.
    split->setSizes({500, stepGrid_->verticalHeader()->defaultSectionSize() * 11 + 8});
    return split;
}

QWidget* DataViewerWindow::buildViewPanel()
{
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QGroupBox(tr("显示"));
    frame->setObjectName(QStringLiteral("fraView"));
    auto* options = new QVBoxLayout(frame);
    options->setSpacing(10);
    auto* group = new QButtonGroup(this);
    for (int v = 0; v < kViewerViews; ++v) {
        auto* option = new QRadioButton(shownWord(viewCaption(static_cast<ViewerView>(v))));
        option->setObjectName(QStringLiteral("optView%1").arg(v));
        group->addButton(option, v);
        options->addWidget(option);
        viewOptions_[static_cast<size_t>(v)] = option;
    }
    viewOptions_[0]->setChecked(true);
    column->addWidget(frame);
    refresh_ = new QPushButton(tr("刷新"));
    refresh_->setObjectName(QStringLiteral("cmdRefresh"));
    refresh_->setMinimumHeight(32);
    connect(refresh_, &QPushButton::clicked, this, &DataViewerWindow::refreshView);
    column->addWidget(refresh_);
    column->addStretch(1);
    panel->setFixedWidth(130);
    return panel;
}

void DataViewerWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Opened (not restored from a minimized state): empty, in the display settings of now.
    if (!event->spontaneous() && !loading_) {
        viewer_.reset(lookOf(station_.ui.graphs[0]));
        viewOptions_[0]->setChecked(true);
        status_->clear();
        showTables();
        graph_->update();
        updateControls();
    }
    if (placed_)
        return;
    placed_ = true;
    centreOnScreen(*this, kRaiseTwips * logicalDpiY() / 1440);
}

void DataViewerWindow::closeEvent(QCloseEvent* event)
{
    loader_.abandon();
    drawTimer_.stop();
    loading_ = false;
    drawing_ = false;
    progress_->hide();
    QMainWindow::closeEvent(event);
}

bool DataViewerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == graph_)
            // The graph redraws its own curves at its new size; the step traces are the viewer's.
            QTimer::singleShot(0, this, &DataViewerWindow::redrawAfterResize);
    }
    return QMainWindow::eventFilter(watched, event);
}

void DataViewerWindow::redrawAfterResize()
{
    const ViewerView v = viewer_.view();
    if (drawing_ || loading_ || v == ViewerView::All || v == ViewerView::Capacity)
        return;
    startDrawing();
}

ViewerView DataViewerWindow::chosenView() const
{
    for (int v = 0; v < kViewerViews; ++v)
        if (viewOptions_[static_cast<size_t>(v)]->isChecked())
            return static_cast<ViewerView>(v);
    return ViewerView::All;
}

void DataViewerWindow::updateControls()
{
    const bool idle = !loading_ && !drawing_;
    open_->setEnabled(idle);
    export_->setEnabled(idle && viewer_.canExport());
    refresh_->setEnabled(idle && viewer_.canRefresh());
}

void DataViewerWindow::showTables()
{
    stepGrid_->gridModel().refresh();
    resultGrid_->gridModel().refresh();
    cycles_->refresh(viewer_.canExport());
}

void DataViewerWindow::openChosen()
{
    FileRequest request;
    request.title = ss(tr("打开数据"));
    request.filter = kDataFileFilter;
    request.initialFolder = station_.home + "/Data";
    const std::string path = chooseFile(request);
    if (!path.empty())
        openFile(QString::fromStdString(path));
}

bool DataViewerWindow::openFile(const QString& path)
{
    if (loading_ || drawing_)
        return false;
    viewer_.beginOpen();
    openedPath_ = path.toStdString();
    viewOptions_[0]->setChecked(true);
    showTables();
    loading_ = true;
    updateControls();
    status_->setText(tr("正在打开 %1 …").arg(path));
    progress_->show();
    // Reading and turning the records into curves run on the worker; the window only takes the result over.
    loader_.start(
        this, [file = path.toStdString()](std::stop_token stop) { return prepareTest(loadDataFile(file, stop)); },
        [this](PreparedTest test) { applyLoaded(std::move(test)); });
    return true;
}

void DataViewerWindow::applyLoaded(PreparedTest test)
{
    const bool complete = test.data.complete;
    const size_t points = test.voltage.size();
    const size_t steps = test.data.results.size();
    viewer_.finishOpen(std::move(test));
    viewer_.showLegends(legend_->isChecked());
    loading_ = false;
    progress_->hide();
    status_->setText(complete ? tr("%1 个数据点，%2 个工步结果").arg(points).arg(steps) : QString());
    showTables();
    updateControls();
    Q_EMIT loadFinished(complete);
}

void DataViewerWindow::refreshView()
{
    if (loading_ || drawing_)
        return;
    const bool listed = viewer_.listView(chosenView());
    resultGrid_->gridModel().refresh();
    if (listed)
        startDrawing();
}

void DataViewerWindow::startDrawing()
{
    drawing_ = true;
    updateControls();
    viewer_.startDrawing();
    drawSlice();
}

void DataViewerWindow::drawSlice()
{
    if (viewer_.drawMore()) {
        drawTimer_.start();
        return;
    }
    viewer_.showLegends(legend_->isChecked());
    drawing_ = false;
    updateControls();
}

std::string DataViewerWindow::askSavePath(const QString& title, const char* filter)
{
    FileRequest request;
    request.save = true;
    request.title = ss(title);
    request.filter = filter;
    request.initialName = defaultSaveName(station_);
    request.initialFolder = station_.home + "/Data";
    return chooseFile(request);
}

void DataViewerWindow::exportChosen()
{
    if (!viewer_.canExport() || loading_ || drawing_)
        return;
    const std::string base = askSavePath(tr("保存单步数据"), "csv file(*.csv)|*.csv");
    if (base.empty())
        return;
    const StepExport written = exportSteps(viewer_, base);
    status_->setText(tr("已保存 %1 个单步文件").arg(written.files.size()));
}

void DataViewerWindow::savePicture(CurveGraphWidget& graph)
{
    const std::string chosen = askSavePath(tr("保存曲线"), "bmp file(*.bmp)|*.bmp");
    if (chosen.empty())
        return;
    // Rendered from the graph itself, so a window covered by another still gives its own picture.
    const std::string path = pathWithExtension(chosen, "bmp");
    if (!writePicture(graph.grab().toImage(), path, "BMP"))
        status_->setText(tr("无法写入 %1").arg(QString::fromStdString(path)));
}

// The file as a Battery Data Format CSV, for the lab's analysis tools.
void DataViewerWindow::saveBdf()
{
    if (!viewer_.canExport() || loading_ || drawing_)
        return;
    const std::string chosen = askSavePath(tr("保存BDF"), "csv file(*.csv)|*.csv");
    if (chosen.empty())
        return;
    std::string error;
    const bool written = exportBdf(openedPath_, pathWithExtension(chosen, "csv"), error);
    status_->setText(written ? tr("已保存 BDF 文件") : QString::fromStdString(error));
}

// The cycle table as --export-cycles writes it.
void DataViewerWindow::saveCycles()
{
    if (!viewer_.canExport() || loading_ || drawing_)
        return;
    const std::string chosen = askSavePath(tr("保存循环表"), "csv file(*.csv)|*.csv");
    if (chosen.empty())
        return;
    std::string error;
    const std::string path = pathWithExtension(chosen, "csv");
    const bool written = exportCycles(openedPath_, path, error);
    status_->setText(written ? tr("已保存 %1").arg(QString::fromStdString(path)) : QString::fromStdString(error));
}

void DataViewerWindow::editTitle()
{
    const std::string title = inputBox(ss(tr("请输入新的标题")), ss(tr("曲线标题")));
    if (!title.empty())
        viewer_.graph().setTitleText(title);
}

}  // namespace klv
