#include "ui/qt_dialog_support.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace klv {

namespace {

class FieldLeftFilter : public QObject {
public:
    FieldLeftFilter(QLineEdit* field, std::function<void()> handler) : QObject(field), handler_(std::move(handler)) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                run();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                run();
        }
        return false;
    }

private:
    // A handler's message box moves the focus; that must not run it a second time.
    void run()
    {
        if (running_)
            return;
        running_ = true;
        handler_();
        running_ = false;
    }

    std::function<void()> handler_;
    bool running_ = false;
};

}  // namespace

void nameControl(QWidget* control, const char* name, bool asAccessibleName)
{
    control->setObjectName(QString::fromUtf8(name));
    if (asAccessibleName)
        control->setAccessibleName(QString::fromUtf8(name));
}

QPushButton* namedButton(const char* name, const QString& caption, bool isDefault)
{
    auto* button = new QPushButton(caption);
    nameControl(button, name, false);
    button->setAutoDefault(false);
    button->setDefault(isDefault);
    return button;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

void onFieldLeft(QLineEdit* field, std::function<void()> handler)
{
    field->installEventFilter(new FieldLeftFilter(field, std::move(handler)));
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace klv
