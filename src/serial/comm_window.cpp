#include "comm_window.h"

#include <QCoreApplication>

const QEvent::Type CommEvent::kType = QEvent::Type(QEvent::registerEventType());

bool CommWindow::event(QEvent* event) {
    if (event->type() != CommEvent::kType)
        return QObject::event(event);
    dispatch_(*static_cast<CommEvent*>(event));
    return true;
}

void CommPoster::operator()(int message, quint32 value, QByteArray bytes) const {
    QCoreApplication::postEvent(window, new CommEvent(session, message, value, std::move(bytes)));
}
