#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>

#include "data/data_viewer.h"
#include "ui/qt_worker.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace klv {

struct Station;
class CurveGraphWidget;
class CyclePageWidget;
class TextGridWidget;

// "曲线数据": a saved test under six views, its step exports and pictures, and on a second page
// its cycles. Files are read on a
// worker thread and shown on this one, so a long test opens without freezing the window; an open
// asked for while one is running is refused. Step traces are drawn one per turn of the event
// loop. Each opening starts empty in the main window's current graph look; closing the window
// abandons a load that is still running.
class DataViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    // The station gives the look of its first device graph and the clock for proposed file names.
    explicit DataViewerWindow(Station& station, QWidget* parent = nullptr);
    ~DataViewerWindow() override;

    // "打开数据" after its dialog: false when a load is still running.
    bool openFile(const QString& path);
    bool isLoading() const { return loading_; }
    DataViewer& viewer() { return viewer_; }
    CurveGraphWidget& graphWidget() { return *graph_; }
    CyclePageWidget& cyclesPage() { return *cycles_; }

Q_SIGNALS:
    // A load ended on the window's thread; complete when both files were read to their end.
    void loadFinished(bool complete);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildViewPanel();
    QWidget* buildCurvesPage();
    void openChosen();
    void applyLoaded(PreparedTest test);
    void refreshView();
    void startDrawing();
    void drawSlice();
    // The save dialog's answer, proposing the date-time name; empty when cancelled.
    std::string askSavePath(const QString& title, const char* filter);
    void exportChosen();
    void savePicture(CurveGraphWidget& graph);
    void saveCycles();
    void saveBdf();
    void editTitle();
    void redrawAfterResize();
    void updateControls();
    void showTables();
    ViewerView chosenView() const;

    Station& station_;
    DataViewer viewer_;
    CurveGraphWidget* graph_;
    TextGridWidget* stepGrid_;
    TextGridWidget* resultGrid_;
    QTabWidget* pages_ = nullptr;
    CyclePageWidget* cycles_ = nullptr;
    std::array<QRadioButton*, kViewerViews> viewOptions_{};
    QPushButton* refresh_ = nullptr;
    QAction* open_ = nullptr;
    QAction* export_ = nullptr;
    QAction* legend_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::string openedPath_;  // the data file shown, for the BDF save
    QTimer drawTimer_;        // the next step trace, once the events waiting have run
    bool loading_ = false;
    bool drawing_ = false;  // a refresh or redraw is drawing its traces slice by slice
    bool placed_ = false;
    Worker loader_;  // last: stopped before anything it could deliver to goes
};

}  // namespace klv
