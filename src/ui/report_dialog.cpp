#include "ui/report_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/capacity_report.h"
#include "platform/file_chooser.h"
#include "station.h"
#include "ui/capacity_query_widget.h"
#include "ui/qt_window_place.h"
#include "ui/text_grid_widget.h"

namespace klv {

namespace {

constexpr int kChannelColumnTwips = 800;
constexpr int kPairColumnTwips = 1200;

QPushButton* button(const char* name, const QString& text)
{
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(80);
    return b;
}

}  // namespace

ReportDialog::ReportDialog(Station& station, QWidget* parent)
        : QDialog(parent), station_(station), report_(newReportTable())
{
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(tr("数据报表"));
    setModal(false);
    query_ = new CapacityQueryWidget(station, this);
    grid_ = new TextGridWidget(QStringLiteral("gridReport"));
    grid_->gridModel().setGrid(&report_, [](int row, int) { return reportRowShaded(row) ? kReportShade : -1; });
    std::vector<int> widths(kReportColumns, kPairColumnTwips);
    widths[0] = kChannelColumnTwips;
    grid_->setColumnTwips(widths);

    QPushButton* ok = button("cmdOK", tr("确定"));
    ok->setDefault(true);  // Enter in the boxes fills the report
    QPushButton* clearButton = button("cmdClear", tr("清除"));
    QPushButton* saveButton = button("cmdSave", tr("保存"));
    connect(ok, &QPushButton::clicked, this, &ReportDialog::fill);
    connect(clearButton, &QPushButton::clicked, this, &ReportDialog::clear);
    connect(saveButton, &QPushButton::clicked, this, &ReportDialog::save);
    connect(query_, &CapacityQueryWidget::deviceRangeChosen, this,
            [this](int first, int last) { query_->offerCycles(offeredCycles(station_, first, last)); });

    auto* top = new QHBoxLayout;
    top->addWidget(query_);
    top->addStretch(1);
    top->addWidget(ok, 0, Qt::AlignBottom);
    top->addWidget(clearButton, 0, Qt::AlignBottom);
    top->addWidget(saveButton, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    resize(1000, 620);

    // Both device boxes on their first entry, which offers the cycles of that range.
    query_->firstDevice().setCurrentIndex(query_->firstDevice().count() > 0 ? 0 : -1);
    query_->lastDevice().setCurrentIndex(query_->lastDevice().count() > 0 ? 0 : -1);
    const CapacityQuery q = query_->query();
    query_->offerCycles(offeredCycles(station_, q.firstDevice, q.lastDevice));
}

// The grid shows the report table: it goes before the table does.
ReportDialog::~ReportDialog() { delete grid_; }

void ReportDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

void ReportDialog::fill()
{
    // A second press while the worker fills waits for that fill.
    if (filling_)
        return;
    filling_ = true;
    worker_.start(
        this,
        [snapshot = snapshotChannels(station_, query_->query())](std::stop_token stop) {
            return fillReport(snapshot, stop);
        },
        [this](TextGrid report) {
            report_ = std::move(report);
            grid_->gridModel().refresh();
            filling_ = false;
            Q_EMIT filled();
        });
}

void ReportDialog::clear()
{
    if (filling_)
        return;
    report_ = newReportTable();
    grid_->gridModel().refresh();
}

void ReportDialog::save()
{
    FileRequest request;
    request.save = true;
    request.title = tr("保存数据").toStdString();
    request.filter = "csv file(*.csv)|*.csv";
    request.initialFolder = station_.home + "/Data";
    const std::string chosen = chooseFile(request);
    if (!chosen.empty())
        saveReport(report_, chosen);
}

}  // namespace klv
