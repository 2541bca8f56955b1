#include "serial_link.h"

#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include <QCoreApplication>

SerialLink::SerialLink(ReaderLink& link, QObject* parent) : QObject(parent), link_(link) {
    comm1_.setCommName(QStringLiteral("COM1"));
    comm1_.setBaudRate(9600);
    comm1_.setParityCheck(true);
    comm1_.setTxContinueOnXoff(false);
    comm1_.setOutx_XonXoffFlow(false);
    comm1_.setInx_XonXoffFlow(false);
    comm1_.OnReceiveData = [this](TComm* sender, const char* buffer, quint16 length) {
        Comm1ReceiveData(sender, buffer, length);
    };
    comm1_.OnRequestHangup = [this](TComm* sender) { Comm1RequestHangup(sender); };
}

void SerialLink::Comm1ReceiveData(TComm*, const char* buffer, quint16 length) {
    serialReplyText_ = hex::fromBytes(QByteArray(buffer, length));
    link_.log(QStringLiteral("232RX Data..\r") + serialReplyText_);
    emit replyReceived();
}

void SerialLink::Comm1RequestHangup(TComm*) {
    if (!comm1_.isOpen())
        return;
    link_.log(QCoreApplication::translate(
                  "SerialLink", "串口 %1 的连接已断开（设备已拔出或已切换模式），串口已关闭   ")
                  .arg(comm1_.openedName()) +
              link_.time() + kCrLf);
    comm1_.ClosePort();
    emit connectionLost();
}

void SerialLink::Send232HEX(const QString& text) {
    const QByteArray bytes = hex::toBytes(text);
    if (bytes.size() > kTransmitCapacity) {
        link_.log(QCoreApplication::translate(
                      "SerialLink", "发送数据有 %1 字节，超过 %2 字节的串口发送缓冲，未发送   ")
                      .arg(bytes.size())
                      .arg(kTransmitCapacity) +
                  link_.time());
        return;
    }
    if (comm1_.WritePortData(bytes.constData(), quint16(bytes.size()))) {
        backlogReported_ = false;
        return;
    }
    const bool full = comm1_.isOpen() && !bytes.isEmpty() &&
                      comm1_.transmitBacklog() + bytes.size() > TComm::kTransmitQueueLimit;
    if (full && !backlogReported_) {
        backlogReported_ = true;
        link_.log(QCoreApplication::translate(
                      "SerialLink", "串口 %1 没有取走已发送的数据（发送队列已满 %2 字节），"
                                    "数据未发送   ")
                      .arg(comm1_.openedName())
                      .arg(TComm::kTransmitQueueLimit) +
                  link_.time());
    }
}

QString SerialLink::collectReply(int ms) {
    QString collected;
    const auto whole = [&collected] { return holdsWholeUhfFrame(collected); };
    // What arrives during the wait's first look at pending events belongs to it as well.
    const QMetaObject::Connection take = connect(this, &SerialLink::replyReceived, this, [&] {
        collected += serialReplyText_;
        link_.recheckWaits();
    });
    link_.waitUntil(ms, whole);
    disconnect(take);
    return collected;
}
