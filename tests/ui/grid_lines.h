#pragma once

#include <QAbstractItemModel>
#include <QStringList>
#include <string>
#include <vector>

// Each row of a table as its cells joined by commas, to set beside a CSV line.
inline std::vector<std::string> gridLines(const QAbstractItemModel& model)
{
    std::vector<std::string> lines;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString();
        lines.push_back(cells.join(',').toStdString());
    }
    return lines;
}
