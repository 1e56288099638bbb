#include "app/lab_link.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <cstdio>

#include "data/bdf_export.h"
#include "station.h"

namespace klv {

std::unique_ptr<lab::LabStore> openLab(Station& station, const StationOptions& options)
{
    const lab::LabConfig config =
        lab::labConfig(options.labUrl, options.stationName, station.home + "/klv.ini", station.home);
    if (config.uri.empty())
        return nullptr;
    auto store = std::make_unique<lab::LabStore>(station, config);
    station.lab = store.get();
    return store;
}

void showLabInStatusBar(QMainWindow& window, lab::LabStore& store)
{
    auto* field = new QLabel;
    field->setObjectName(QStringLiteral("lblLab"));
    window.statusBar()->addPermanentWidget(field);
    store.showStatus = [field](const std::string& text, const std::string& tooltip) {
        field->setText(QString::fromStdString(text));
        field->setToolTip(QString::fromStdString(tooltip));
        field->setAccessibleName(QString::fromStdString(text));
    };
}

int runExportBdf(const std::string& dat, const std::string& csv)
{
    std::string error;
    if (!exportBdf(dat, csv, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", csv.c_str());
    return 0;
}

}  // namespace klv
