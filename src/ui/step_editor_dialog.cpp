#include "ui/step_editor_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/file_chooser.h"
#include "platform/message_box.h"
#include "program/step_file.h"
#include "station.h"
#include "ui/qt_dialog_support.h"
#include "ui/shown_word.h"
#include "ui/step_chooser_dialog.h"

namespace klv {

namespace {

constexpr const char* kStepFileFilter = "step file(*.stp)|*.stp";

QComboBox* listChooser(const char* name)
{
    auto* box = new QComboBox;
    nameControl(box, name, false);
    return box;
}

QLineEdit* field(const char* name)
{
    auto* edit = new QLineEdit;
    nameControl(edit, name, false);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(90);
    return edit;
}

void fillChooser(QComboBox* box, const std::vector<std::string>& entries, int shown)
{
    box->clear();
    for (const std::string& e : entries)
        box->addItem(shownWord(e), qs(e));
    box->setCurrentIndex(shown);
}

void showError(const std::string& message) { showMessage(message, MsgIcon::Error); }

// Step files are kept in the program folder.
FileRequest stepFileRequest(bool save, const std::string& home)
{
    FileRequest request;
    request.save = save;
    request.title = ss(save ? StepEditorDialog::tr("保存设置") : StepEditorDialog::tr("打开设置"));
    request.filter = kStepFileFilter;
    request.initialFolder = home;
    return request;
}

}  // namespace

StepEditorDialog::StepEditorDialog(Station& station, QWidget* parent) : QDialog(parent), station_(station)
{
    setObjectName(QStringLiteral("frmSet"));
    setWindowTitle(tr("参数设置"));
    setModal(false);
    buildControls();
    chooser_ = new StepChooserDialog(station_, this);
    connect(chooser_, &StepChooserDialog::programChosen, this, &StepEditorDialog::copyProgram);
}

void StepEditorDialog::buildControls()
{
    gridSet_ = new QTableWidget(kStepRows, kStepTableCols);
    nameControl(gridSet_, "gridSet");
    gridSet_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridSet_->setSelectionMode(QAbstractItemView::NoSelection);
    gridSet_->setFocusPolicy(Qt::NoFocus);
    gridSet_->verticalHeader()->hide();
    gridSet_->verticalHeader()->setDefaultSectionSize(22);
    gridSet_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    gridSet_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    gridSet_->setColumnWidth(0, 47);
    gridSet_->setMinimumSize(455, 22 * kStepRows + 28);
    const TextGrid titles = newStepTable();
    for (int c = 0; c < kStepTableCols; ++c)
        gridSet_->setHorizontalHeaderItem(c, new QTableWidgetItem(shownWord(titles.at(0, c))));
    for (int r = 0; r < kStepRows; ++r)
        for (int c = 0; c < kStepTableCols; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            gridSet_->setItem(r, c, item);
        }

    cmbFlow_ = listChooser("cmbFlow");
    cmbMode_ = listChooser("cmbMode");
    for (int m = kStepDischarge; m <= kStepLoop; ++m)
        cmbMode_->addItem(shownWord(stepModeLabel(m)));
    txtSet_ = field("txtSet");
    txtLmt_ = field("txtLmt");
    txtLmtCur_ = field("txtLmtCur");
    txtLmtTim_ = field("txtLmtTim");
    lblTime_ = new QLabel;
    nameControl(lblTime_, "lblTime", false);
    lblMin_ = new QLabel;
    nameControl(lblMin_, "lblMin", false);

    auto* fields = new QGridLayout;
    auto row = [&](int r, int col, const QString& label, QWidget* w, QWidget* unit) {
        auto* caption = new QLabel(label);
        caption->setBuddy(w);
        fields->addWidget(caption, r, col, Qt::AlignRight);
        fields->addWidget(w, r, col + 1);
        if (unit)
            fields->addWidget(unit, r, col + 2);
    };
    row(0, 0, tr("工步："), cmbFlow_, nullptr);
    row(0, 3, tr("模式："), cmbMode_, nullptr);
    row(1, 0, tr("电流："), txtSet_, new QLabel(QStringLiteral("A")));
    row(1, 3, tr("电压："), txtLmt_, new QLabel(QStringLiteral("V")));
    row(2, 0, tr("终止电流："), txtLmtCur_, new QLabel(QStringLiteral("A")));
    fields->addWidget(lblTime_, 2, 3, Qt::AlignRight);
    lblTime_->setBuddy(txtLmtTim_);
    fields->addWidget(txtLmtTim_, 2, 4);
    fields->addWidget(lblMin_, 2, 5);
    fields->setColumnStretch(2, 1);

    auto* cmdClear = namedButton("cmdClear", tr("清除"));
    // Enter commits the row being edited; the program is applied only by "确定" itself.
    auto* cmdSet = namedButton("cmdSet", tr("设定"), true);
    auto* cmdOpen = namedButton("cmdOpen", tr("打开"));
    auto* cmdSave = namedButton("cmdSave", tr("保存"));
    auto* cmdCopy = namedButton("cmdCopy", tr("复制"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdClear, cmdSet, cmdOpen, cmdSave, cmdCopy})
        buttons->addWidget(b);

    auto* frame = new QGroupBox;
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addLayout(fields);
    frameLayout->addLayout(buttons);

    cmbStep_ = listChooser("cmbStep");
    cmbChn_ = listChooser("cmbChn");
    auto* cmdOK = namedButton("cmdOK", tr("确定"));
    auto* cmdCancel = namedButton("cmdCancel", tr("取消"));
    auto* bottom = new QHBoxLayout;
    auto* startLabel = new QLabel(tr("起始工步："));
    startLabel->setBuddy(cmbStep_);
    auto* targetLabel = new QLabel(tr("设置通道："));
    targetLabel->setBuddy(cmbChn_);
    bottom->addWidget(startLabel);
    bottom->addWidget(cmbStep_);
    bottom->addSpacing(12);
    bottom->addWidget(targetLabel);
    bottom->addWidget(cmbChn_);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    bottom->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gridSet_);
    layout->addWidget(frame);
    layout->addLayout(bottom);

    connect(cmbFlow_, &QComboBox::activated, this, [this](int i) {
        editor_.chooseStep(i);
        showEditor();
    });
    connect(cmbMode_, &QComboBox::activated, this, [this](int i) {
        editor_.chooseMode(i);
        showEditor();
    });
    connect(cmbStep_, &QComboBox::activated, this, [this](int i) { editor_.chooseStart(i); });
    connect(cmbChn_, &QComboBox::activated, this,
            [this](int i) { editor_.chooseTarget(ss(cmbChn_->itemData(i).toString())); });
    const std::pair<StepField, QLineEdit*> edits[] = {{StepField::SetCurrent, txtSet_},
                                                      {StepField::SetVoltage, txtLmt_},
                                                      {StepField::EndCurrent, txtLmtCur_},
                                                      {StepField::TimeCount, txtLmtTim_}};
    for (const auto& [f, edit] : edits) {
        connect(edit, &QLineEdit::textEdited, this, [this, f](const QString& text) { editor_.typeField(f, ss(text)); });
        onFieldLeft(edit, [this, f, edit] { leaveField(f, edit); });
    }
    connect(cmdClear, &QPushButton::clicked, this, [this] {
        editor_.clear();
        showEditor();
    });
    connect(cmdSet, &QPushButton::clicked, this, &StepEditorDialog::commitRow);
    connect(cmdOpen, &QPushButton::clicked, this, &StepEditorDialog::openFile);
    connect(cmdSave, &QPushButton::clicked, this, &StepEditorDialog::saveFile);
    connect(cmdCopy, &QPushButton::clicked, this, [this] {
        chooser_->show();
        chooser_->raise();
    });
    connect(cmdOK, &QPushButton::clicked, this, &StepEditorDialog::applyProgram);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void StepEditorDialog::showEvent(QShowEvent* event)
{
    // A show from the main window opens the editor afresh; a window restored from minimised does not.
    if (!event->spontaneous()) {
        editor_.load(station_);
        showEditor();
        centreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void StepEditorDialog::showEditor()
{
    const TextGrid& table = editor_.table();
    for (int r = 1; r <= kStepRows; ++r)
        for (int c = 0; c < kStepTableCols; ++c)
            gridSet_->item(r - 1, c)->setText(shownWord(table.at(r, c)));
    fillChooser(cmbFlow_, editor_.flowEntries(), editor_.flowShown());
    cmbMode_->setCurrentIndex(editor_.modeShown());
    fillChooser(cmbStep_, editor_.startEntries(), editor_.startShown());
    fillChooser(cmbChn_, editor_.targets().entries, -1);
    cmbChn_->setCurrentIndex(cmbChn_->findData(qs(editor_.targetShown())));
    const StepFields& f = editor_.fields();
    txtSet_->setText(qs(f.setCurrent));
    txtLmt_->setText(qs(f.setVoltage));
    txtLmtCur_->setText(qs(f.endCurrent));
    txtLmtTim_->setText(qs(f.timeCount));
    const EditableFields& e = editor_.editable();
    txtSet_->setEnabled(e.setCurrent);
    txtLmt_->setEnabled(e.setVoltage);
    txtLmtCur_->setEnabled(e.endCurrent);
    const TimeCaption caption = editor_.caption();
    lblTime_->setText(shownWord(caption.label) + tr("："));
    lblMin_->setText(shownWord(caption.unit));
}

const DeviceEntry& StepEditorDialog::device() const
{
    static const DeviceEntry none;
    const int d = editor_.device();
    return d >= 0 && d < kMaxDevices ? station_.link.devices[d] : none;
}

void StepEditorDialog::leaveField(StepField f, QLineEdit* edit)
{
    editor_.typeField(f, ss(edit->text()));
    const FieldCheck check = editor_.leaveField(f, device());
    edit->setText(qs(check.text));
    if (!check.ok())
        showError(check.message);
}

void StepEditorDialog::commitRow()
{
    const std::string fault = editor_.commit(device());
    if (!fault.empty())
        showError(fault);
    showEditor();
}

void StepEditorDialog::openFile()
{
    const std::string path = chooseFile(stepFileRequest(false, station_.home));
    if (path.empty() || !isStepFileName(path))
        return;
    const StepFileLoad load = loadStepFile(path);
    if (!load.ok()) {
        showError(load.fault);
        return;
    }
    editor_.loadFile(load.table);
    showEditor();
}

void StepEditorDialog::saveFile()
{
    const std::string path = chooseFile(stepFileRequest(true, station_.home));
    if (path.empty())
        return;
    if (!writeStepFile(stepFileSaveName(path), editor_.table()))
        showError(QT_TRANSLATE_NOOP("Message", "工步文件无法保存"));
}

void StepEditorDialog::copyProgram(int slot)
{
    editor_.copyFrom(station_.program.gridRun.at(slot));
    showEditor();
}

void StepEditorDialog::applyProgram()
{
    const std::string fault = editor_.apply(station_);
    if (!fault.empty()) {
        showError(fault);
        return;
    }
    Q_EMIT programApplied();
    accept();
}

}  // namespace klv
