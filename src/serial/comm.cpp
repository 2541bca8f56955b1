#include "comm.h"

#include "comm_window.h"
#include "read_thread.h"
#include "write_thread.h"

#include <QCoreApplication>
#include <QFile>
#include <system_error>

using namespace serialplatform;

TComm::TComm() : window_(new CommWindow([this](const CommEvent& event) { dispatch(event); })) {}

TComm::~TComm() {
    ClosePort();
}

namespace {

// The component's English message and the operator's hint in the program's language.
ECommsError withHint(const char* message, const char* hint) {
    return ECommsError(
        (QString::fromLatin1(message) + QCoreApplication::translate("TComm", hint)).toStdString());
}

} // namespace

void TComm::OpenPort() {
    if (port_)
        throw ECommsError("This serial port already opened");
    switch (Port::open(QFile::encodeName(commName_), &port_)) {
    case OpenResult::Missing:
        throw ECommsError("the com is not exist!...");
    case OpenResult::Denied:
        throw withHint(
            "the com is not allowed!... You have no permission to use it.\n",
            QT_TRANSLATE_NOOP("TComm", "没有使用该串口的权限：请把用户加入 dialout 组"
                                       "（sudo usermod -aG dialout 用户名），重新登录后再打开。"));
    case OpenResult::Busy:
        throw withHint(
            "the com is busy!... Another program is using it.\n",
            QT_TRANSLATE_NOOP("TComm", "该串口正被其他程序使用：请先关闭那个程序再打开。"));
    case OpenResult::NotTerminal:
        throw ECommsError("File handle is not a comm handle ");
    case OpenResult::NoSetup:
        throw ECommsError("Cannot setup comm buffer");
    case OpenResult::Opened:
        break;
    }
    openedName_ = commName_;
    port_->purge(true, true);
    sendQueueEmpty_ = true;
    ApplyTimeouts();
    ApplyLineSettings();

    close_ = std::make_unique<Signal>();
    backlog_ = std::make_shared<ReceiveBacklog>();
    if (!close_->valid() || !backlog_->valid())
        abandonOpen("Unable to create event");
    const CommPoster poster{window_.get(), session_};
    try {
        reader_ = std::make_unique<TReadThread>(*port_, *close_, poster, backlog_);
        reader_->start();
    } catch (const std::system_error&) {
        abandonOpen("Unable to create read thread");
    }
    try {
        writer_ = std::make_unique<TWriteThread>(*port_, *close_, poster, sendQueueEmpty_);
        writer_->start();
    } catch (const std::system_error&) {
        abandonOpen("Unable to create write thread");
    }
}

void TComm::abandonOpen(const char* message) {
    if (close_)
        close_->raise();
    reader_.reset();
    writer_.reset();
    close_.reset();
    backlog_.reset();
    port_.reset();
    ++session_;
    throw ECommsError(message);
}

void TComm::ClosePort() {
    if (!port_)
        return;
    // Both threads wait on the close signal as well as on the port, so they
    // end at once, even in the middle of a write the device does not take.
    close_->raise();
    port_->purge(true, false);
    reader_.reset();
    port_->purge(false, true);
    sendQueueEmpty_ = true;
    writer_.reset();
    close_.reset();
    backlog_.reset();
    port_.reset();
    ++session_;
}

std::size_t TComm::receiveBacklog() const {
    return backlog_ ? backlog_->pending() : 0;
}

bool TComm::WritePortData(const char* bytes, quint16 count) {
    if (!writer_ || count == 0)
        return false;
    return writer_->queue(QByteArray(bytes, count), kTransmitQueueLimit);
}

qsizetype TComm::transmitBacklog() const {
    return writer_ ? writer_->backlog() : 0;
}

void TComm::ApplyLineSettings() {
    port_->applyLineSettings(line_);
}

void TComm::ApplyTimeouts() {
    port_->applyTimeouts(timeouts_);
}

void TComm::dispatch(const CommEvent& event) {
    switch (event.message) {
    case ReceiveDataMessage:
        if (OnReceiveData)
            OnReceiveData(this, event.bytes.constData(), quint16(event.bytes.size()));
        break;
    case ReceiveErrorMessage:
        if (OnReceiveError)
            OnReceiveError(this, event.value);
        break;
    case RequestHangupMessage:
        if (event.session == session_ && OnRequestHangup)
            OnRequestHangup(this);
        break;
    case ModemStateChangeMessage:
        if (OnModemStateChange)
            OnModemStateChange(this, event.value);
        break;
    case SendDataEmptyMessage:
        if (OnSendDataEmpty)
            OnSendDataEmpty(this);
        break;
    }
}
