#pragma once

#include <QObject>
#include <QThread>
#include <memory>

#include "link/conversation.h"
#include "platform/qt_serial_port.h"

namespace klv {

class Clock;

// The link thread owns the serial port and does nothing but carry out requests: open, close,
// and transactions with their answer windows. This object lives on the window thread and
// runs one conversation at a time over the tables there; each request goes to the link
// thread as a queued call and its reply comes back as one, so no wait ever runs on the
// window thread and an open box or menu never holds the bench up.
class LinkThread final : public QObject, public Link {
    Q_OBJECT
public:
    LinkThread(QtSerialPort::Resolver resolver, Clock& clock, QObject* parent = nullptr);
    // Closes the port on its own thread and ends it; an answer window under way is waited out.
    ~LinkThread() override;

    bool run(std::unique_ptr<Conversation> conversation, std::function<void()> done) override;
    bool busy() const override { return conversation_ != nullptr; }

private:
    void step();
    void onReply(const LinkReply& reply);

    QThread thread_;
    QObject* onLink_;  // the context whose queued calls run on the link thread
    // Made, used and destroyed on the link thread only.
    std::unique_ptr<QtSerialPort> port_;
    QtSerialPort::Resolver resolver_;
    Clock& clock_;
    // Window thread only.
    std::unique_ptr<Conversation> conversation_;
    std::function<void()> done_;
};

}  // namespace klv
