#include "comm_window.h"

#include <QCoreApplication>

const QEvent::Type CommEvent::kType = QEvent::Type(QEvent::registerEventType());

void ReceiveBacklog::release(std::size_t count) {
    const std::size_t before = pending_.fetch_sub(count);
    if (before > kLimit / 2 && before - count <= kLimit / 2)
        room_.raise();
}

bool ReceiveBacklog::waitForRoom(std::size_t count, const serialplatform::Signal& stop) {
    while (pending_ + count > kLimit) {
        room_.lower();
        // The main thread may have made room between the test and lowering.
        if (pending_ <= kLimit / 2)
            break;
        if (serialplatform::waitForWork(stop, room_) != serialplatform::Wait::Ready)
            return false;
    }
    return true;
}

CommEvent::CommEvent(int session, int message, quint32 value, QByteArray bytes,
                     std::shared_ptr<ReceiveBacklog> backlog)
    : QEvent(kType), session(session), message(message), value(value), bytes(std::move(bytes)),
      backlog_(std::move(backlog)) {
    if (backlog_)
        backlog_->add(std::size_t(this->bytes.size()));
}

CommEvent::~CommEvent() {
    if (backlog_)
        backlog_->release(std::size_t(bytes.size()));
}

bool CommWindow::event(QEvent* event) {
    if (event->type() != CommEvent::kType)
        return QObject::event(event);
    dispatch_(*static_cast<CommEvent*>(event));
    return true;
}

void CommPoster::operator()(int message, quint32 value, QByteArray bytes,
                            std::shared_ptr<ReceiveBacklog> backlog) const {
    QCoreApplication::postEvent(
        window, new CommEvent(session, message, value, std::move(bytes), std::move(backlog)));
}
