#include "app/batch_commands.h"

#include <QApplication>
#include <QImage>
#include <clocale>
#include <cstdio>
#include <memory>

#include "data/cycle_table.h"
#include "data/data_viewer.h"
#include "data/step_export.h"
#include "platform/qt_picture_file.h"
#include "ui/curve_graph_widget.h"

namespace klv {

namespace {

constexpr int kReadFailed = 1;
constexpr int kUsage = 64;
constexpr int kPictureWidth = 960, kPictureHeight = 600;

// The viewer with the file opened in it, as "打开数据" leaves it; false with a message when
// either file could not be read to its end.
bool openInViewer(DataViewer& viewer, const std::string& dat)
{
    LoadedData data = loadDataFile(dat);
    const bool complete = data.complete;
    viewer.beginOpen();
    viewer.finishOpen(std::move(data));
    if (complete)
        return true;
    std::fprintf(stderr, "cannot read the data file %s with its result file (.run): missing, damaged or cut short\n",
                 dat.c_str());
    return false;
}

std::string lowerSuffix(const std::string& path)
{
    const size_t dot = path.rfind('.');
    std::string suffix = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : suffix)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return suffix;
}

// Widgets need an application; without one of its own the batch draws offscreen, display or not.
std::unique_ptr<QApplication> ensureApplication()
{
    if (QCoreApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "klv-station";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QApplication>(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // Qt took the system locale; every number text uses a point
    return app;
}

// BASE.cycles.csv for FILE.dat (a name without ".dat" keeps all of it), in folder when one is given.
std::string cyclesPath(const std::string& dat, const std::string& folder)
{
    std::string base = lowerSuffix(dat) == "dat" ? dat.substr(0, dat.size() - 4) : dat;
    if (!folder.empty()) {
        const size_t slash = base.find_last_of('/');
        base = folder + "/" + (slash == std::string::npos ? base : base.substr(slash + 1));
    }
    return base + ".cycles.csv";
}

}  // namespace

int runExportCycles(const std::vector<std::string>& dats, const std::string& folder)
{
    int status = 0;
    for (const std::string& dat : dats) {
        const std::string csv = cyclesPath(dat, folder);
        std::string error;
        if (exportCycles(dat, csv, error)) {
            std::printf("%s\n", csv.c_str());
        } else {
            std::fprintf(stderr, "%s\n", error.c_str());
            status = kReadFailed;
        }
    }
    return status;
}

int runExportSteps(const std::string& dat, const std::string& base)
{
    DataViewer viewer;
    if (!openInViewer(viewer, dat))
        return kReadFailed;
    const StepExport written = exportSteps(viewer, base);
    for (const std::string& file : written.files)
        std::printf("%s\n", file.c_str());
    if (!written.finished) {
        std::fprintf(stderr, "export stopped after %zu files: a damaged result row or a file that cannot be written\n",
                     written.files.size());
        return kReadFailed;
    }
    return 0;
}

int runPicture(const std::string& dat, const std::string& out, const std::string& view)
{
    const std::string format = lowerSuffix(out);
    if (format != "png" && format != "bmp") {
        std::fprintf(stderr, "the picture must be a .png or a .bmp file: %s\n", out.c_str());
        return kUsage;
    }
    // The cycles page's capacity graph goes by a view name of its own.
    const bool perCycle = view == kCapacityPerCycleView;
    const auto chosen = view.empty() || perCycle ? std::optional<ViewerView>(ViewerView::All) : viewNamed(view);
    if (!chosen) {
        std::fprintf(stderr, "no view named %s; the views are", view.c_str());
        for (int v = 0; v < kViewerViews; ++v)
            std::fprintf(stderr, " %s", viewCaption(static_cast<ViewerView>(v)));
        std::fprintf(stderr, " %s\n", kCapacityPerCycleView);
        return kUsage;
    }
    const auto app = ensureApplication();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "pictures need a widget application\n");
        return kUsage;
    }
    DataViewer viewer;
    CurveGraphWidget widget(perCycle ? viewer.cycles().capacityGraph() : viewer.graph());
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.resize(kPictureWidth, kPictureHeight);
    widget.show();  // takes its size now, so the drawing below is at the picture's size
    if (!openInViewer(viewer, dat))
        return kReadFailed;
    if (*chosen != ViewerView::All)
        viewer.refresh(*chosen);
    viewer.showLegends(true);
    const QImage picture = widget.grab().toImage();
    if (!writePicture(picture, out, format == "png" ? "PNG" : "BMP")) {
        std::fprintf(stderr, "cannot write the picture %s\n", out.c_str());
        return kReadFailed;
    }
    return 0;
}

}  // namespace klv
