#include "ui/link_thread.h"

#include "platform/clock.h"
#include "platform/qt_port_wait.h"

namespace klv {

LinkThread::LinkThread(QtSerialPort::Resolver resolver, Clock& clock, QObject* parent)
        : QObject(parent), onLink_(new QObject), resolver_(std::move(resolver)), clock_(clock)
{
    thread_.setObjectName(QStringLiteral("link"));
    onLink_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, onLink_, &QObject::deleteLater);
    thread_.start();
    // The port's notifiers belong to the thread that makes it.
    QMetaObject::invokeMethod(onLink_, [this] { port_ = std::make_unique<QtSerialPort>(resolver_); });
}

LinkThread::~LinkThread()
{
    QMetaObject::invokeMethod(onLink_, [this] {
        port_.reset();
        QThread::currentThread()->quit();
    });
    thread_.wait();
}

bool LinkThread::run(std::unique_ptr<Conversation> conversation, std::function<void()> done)
{
    if (conversation_)
        return false;
    conversation_ = std::move(conversation);
    done_ = std::move(done);
    step();
    return true;
}

void LinkThread::step()
{
    std::optional<LinkRequest> request = conversation_->next();
    if (!request) {
        // The conversation is over before done runs, so done may start the next one.
        std::unique_ptr<Conversation> ended = std::move(conversation_);
        std::function<void()> done = std::move(done_);
        if (done)
            done();
        return;
    }
    QMetaObject::invokeMethod(onLink_, [this, request = std::move(*request)] {
        QtPortWait wait(*port_);
        LinkReply reply = carryOut(*port_, clock_, wait, request);
        QMetaObject::invokeMethod(this, [this, reply = std::move(reply)] { onReply(reply); });
    });
}

void LinkThread::onReply(const LinkReply& reply)
{
    conversation_->take(reply);
    step();
}

}  // namespace klv
