#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <string>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace klv {

// The control's name as the station's texts give it, as object name; controls without a
// caption of their own carry it as accessible name too, for screen readers and scripts.
// A field with a label (its buddy) takes none: a screen reader reads the label's caption.
void nameControl(QWidget* control, const char* name, bool asAccessibleName = true);

// A button with its caption; Enter presses it only when it is the dialog's default button.
QPushButton* namedButton(const char* name, const QString& caption, bool isDefault = false);
// A row with the buttons at its right end.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);

// Runs handler when the user leaves the field for another control of the same window, or
// presses Enter in it; not when another window (a message box) takes the focus.
void onFieldLeft(QLineEdit* field, std::function<void()> handler);

// Centres a top-level window on the screen it is on.
void centreOnScreen(QWidget* window);

inline QString qs(const std::string& text) { return QString::fromStdString(text); }
inline std::string ss(const QString& text) { return text.toStdString(); }

}  // namespace klv
