// Every button of every page judged against an arbitrary reply: the reader
// answers each exchange with the fuzz input as its reply frame. No crash, no
// read past the reply text, and every click leaves the window usable.
#include "protocol/hex_text.h"
#include "support/form_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class FuzzDevice : public ReaderDevice {
  public:
    QByteArray reply;
    QString unavailableReason() override { return QString(); }
    int write(const QByteArray& frame) override { return frame.size(); }
    int read(unsigned char* buffer, int capacity) override {
        const int count = std::min<int>(capacity, reply.size());
        std::memcpy(buffer, reply.constData(), count);
        return count;
    }
    bool simulated() override { return true; }
};

// Buttons that open a file dialog would wait for the operator; the serial
// link's buttons wait for the port (serial_reply_fuzz covers their replies).
bool skipped(const QString& name) {
    static const QStringList names = {"Button5",  "Button6",  "Button3", "Button73",
                                      "Button74", "Button75", "Button76"};
    return names.contains(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "page_reply_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    static FuzzDevice device;
    static FormFixture* fixture = [] {
        auto* f = new FormFixture(device);
        f->form.context().showCardMemory = [] {};
        return f;
    }();
    (void)app;

    device.reply = QByteArray(reinterpret_cast<const char*>(data), int(size));
    for (QPushButton* button : fixture->form.findChildren<QPushButton*>()) {
        if (!button->isEnabled() || skipped(button->objectName()) || button->objectName().isEmpty())
            continue;
        button->click();
        if (fixture->form.link().ReplyText().size() > 2 * 245)
            std::abort();
    }
    fixture->clearLog();
    return 0;
}
