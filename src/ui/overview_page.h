#pragma once

#include <QStringList>
#include <QWidget>
#include <array>

#include "view/legend_colours.h"
#include "view/tile_selection.h"

class QFrame;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace klv {

struct Station;
class MachWidget;
class TextGridWidget;

// The overview page: the six device panels stacked with the list grid, the device list and
// history beside them, the four buttons and the legend.
class OverviewPage : public QWidget {
    Q_OBJECT
public:
    OverviewPage(Station& station, QWidget* parent = nullptr);

    MachWidget* mach(int device) { return machs_[device]; }
    QPushButton* cmdCap() { return cmdCap_; }
    QPushButton* cmdData() { return cmdData_; }
    // Follow the tables: tiles, list grid, history, and the device list when it changed.
    void refresh();
    // Give the keyboard focus to a tile; it is then the one Tab reaches in the tile area.
    void focusTile(TilePlace at);
    TilePlace tabTile() const { return tabTile_; }

Q_SIGNALS:
    void legendClicked(klv::LegendItem item);

private:
    QWidget* buildPanels();
    QWidget* buildSideColumn();
    QWidget* buildLegend();
    void refreshDevices();
    void setTabTile(TilePlace at);

    Station& station_;
    std::array<MachWidget*, 6> machs_{};
    std::array<QFrame*, 4> swatches_{};
    QStackedWidget* views_ = nullptr;  // the panels or gridView in front
    TextGridWidget* gridView_ = nullptr;
    QStackedWidget* devices_ = nullptr;
    QListWidget* lstDev_ = nullptr;
    QTreeWidget* treeDev_ = nullptr;
    QListWidget* lstLog_ = nullptr;
    QPushButton* cmdCap_ = nullptr;
    QPushButton* cmdData_ = nullptr;
    QStringList shownDevices_;  // the tree's texts as last shown
    TilePlace tabTile_;         // the one tile of the area in the Tab chain
};

}  // namespace klv
