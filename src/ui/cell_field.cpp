#include "ui/cell_field.h"

#include <QCoreApplication>

#include "common/format.h"
#include "data/test_cell.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "station.h"
#include "ui/qt_dialog_support.h"

namespace klv {

QString cellText(const TestCell& cell)
{
    if (cell.id.empty())
        return {};
    const QString id = QString::fromStdString(cell.id);
    if (!cell.nominalAh)
        return QCoreApplication::translate("Cell", "电芯 %1").arg(id);
    return QCoreApplication::translate("Cell", "电芯 %1, 标称 %2 Ah")
        .arg(id, QString::fromStdString(exactText(*cell.nominalAh)));
}

bool askCellToStart(Station& station, int slot)
{
    const std::string text = inputBox(
        ss(QCoreApplication::translate("Cell", "电芯编号, 可加标称容量 (Ah), 如 B2412-007:2.5; 不填则不记电芯")),
        ss(QCoreApplication::translate("Cell", "电芯")));
    TestCell cell;
    if (!text.empty()) {
        std::string error;
        const auto named = parseCell(text, error);
        if (!named) {
            showMessage(error, MsgIcon::Error);
            return false;
        }
        cell = *named;
    }
    station.run.slots[slot].cellToStart = cell;
    return true;
}

}  // namespace klv
