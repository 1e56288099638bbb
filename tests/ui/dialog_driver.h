#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

// Drives a dialog's controls the way a user does, finding them by their object names.
namespace dialog_driver {

template <class T>
T* child(QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << "no control " << name;
    return found;
}

// Types over the field's text, as keystrokes would.
inline void type(QLineEdit* field, const std::string& text)
{
    const QString t = QString::fromStdString(text);
    field->setText(t);
    Q_EMIT field->textEdited(t);
}

// Tabs out of the field.
inline void leave(QLineEdit* field)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
}

inline void press(QWidget* w, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
}

// Picks an entry as the user does with the mouse.
inline void choose(QComboBox* box, const std::string& text)
{
    const int i = box->findText(QString::fromStdString(text));
    ASSERT_GE(i, 0) << "no entry " << text << " in " << box->objectName().toStdString();
    box->setCurrentIndex(i);
    Q_EMIT box->activated(i);
}

inline std::vector<std::string> entries(const QComboBox* box)
{
    std::vector<std::string> out;
    for (int i = 0; i < box->count(); ++i)
        out.push_back(box->itemText(i).toStdString());
    return out;
}

// Runs the event loop until `done` holds or the limit passes; whether it held.
template <class Done>
bool runUntil(Done done, int limitMs = 20000)
{
    QEventLoop loop;
    QTimer tick;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || waited.elapsed() > limitMs)
            loop.quit();
    });
    tick.start(2);
    if (!done())
        loop.exec();
    return done();
}

inline std::string shown(const QComboBox* box) { return box->currentText().toStdString(); }
inline std::string text(const QLineEdit* field) { return field->text().toStdString(); }

}  // namespace dialog_driver
