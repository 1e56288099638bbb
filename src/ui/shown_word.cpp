#include "ui/shown_word.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace klv {

namespace {

constexpr const char* kContext = "Table";

}  // namespace

QString shownWord(const std::string& stored)
{
    const QString whole = QCoreApplication::translate(kContext, stored.c_str());
    if (whole != QString::fromStdString(stored))
        return whole;
    // "工步3" is filed as "工步%1".
    static const QRegularExpression numbered(QStringLiteral("^(\\D+)(\\d+)$"));
    const QRegularExpressionMatch m = numbered.match(whole);
    if (!m.hasMatch())
        return whole;
    const QByteArray pattern = (m.captured(1) + QStringLiteral("%1")).toUtf8();
    return QCoreApplication::translate(kContext, pattern.constData()).arg(m.captured(2));
}

}  // namespace klv
