#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/file_chooser.h"
#include "platform/input_box.h"
#include "platform/message_box.h"

namespace klv {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

MsgResult qtMessage(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    const auto qicon = icon == MsgIcon::Error         ? QMessageBox::Critical
                       : icon == MsgIcon::Information ? QMessageBox::Information
                                                      : QMessageBox::Question;
    // Fixed messages are translated here; a message made of parts arrives translated.
    QMessageBox box(qicon, QCoreApplication::translate("Message", "提示"),
                    QCoreApplication::translate("Message", text.c_str()), QMessageBox::Ok,
                    QApplication::activeWindow());
    if (buttons == MsgButtons::OkCancel)
        box.addButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

// "data file(*.dat)|*.dat|all(*.*)|*.*" as Qt's ";;"-separated name filters.
QString qtFilter(const std::string& filter)
{
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString& pattern = parts[i + 1];
        const QString shown = name.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))
                                  ? name
                                  : name + QStringLiteral(" (") + pattern + QLatin1Char(')');
        filters << QString(shown).replace(QLatin1Char(';'), QLatin1Char(' '));
    }
    return filters.join(QStringLiteral(";;"));
}

std::string qtFile(const FileRequest& r)
{
    // A dialog that comes back at once was dismissed by a stray key or click;
    // it is shown once more without the proposed name.
    QString path;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QElapsedTimer shown;
        shown.start();
        QString start = qs(r.initialFolder);
        if (attempt == 0 && !r.initialName.empty())
            start = start.isEmpty() ? qs(r.initialName) : start + QLatin1Char('/') + qs(r.initialName);
        QWidget* owner = QApplication::activeWindow();
        path = r.save ? QFileDialog::getSaveFileName(owner, qs(r.title), start, qtFilter(r.filter))
                      : QFileDialog::getOpenFileName(owner, qs(r.title), start, qtFilter(r.filter));
        if (shown.elapsed() >= 20)
            break;
    }
    return path.toStdString();
}

int qtColour()
{
    // The custom colour table starts empty on every call.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    const QColor c = QColorDialog::getColor(Qt::white, QApplication::activeWindow());
    if (!c.isValid())
        return -1;
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

std::string qtInput(const std::string& prompt, const std::string& title)
{
    return QInputDialog::getText(QApplication::activeWindow(), qs(title), qs(prompt)).toStdString();
}

}  // namespace

void installQtDialogs()
{
    setMessageHandler(qtMessage);
    setFileChooserHandler(qtFile);
    setColourChooserHandler(qtColour);
    setInputHandler(qtInput);
}

}  // namespace klv
