// The serial link commands judged against arbitrary received bytes: the bytes
// arrive as one receive event while the command waits for its answer.
#include "serial/serial_link.h"
#include "support/form_fixture.h"
#include "support/scripted_device.h"

#include <QApplication>
#include <QTimer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "serial_reply_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    static ScriptedDevice device;
    static FormFixture fixture(device);
    (void)app;

    const QByteArray bytes(reinterpret_cast<const char*>(data), int(std::min<size_t>(size, 2048)));
    SerialLink& serial = fixture.form.serialLink();
    for (const char* button : {"Button75", "Button76"}) {
        QTimer::singleShot(0, [&] {
            serial.Comm1ReceiveData(&serial.Comm1(), bytes.constData(), quint16(bytes.size()));
        });
        fixture.click(button);
        if (serial.SerialReplyText().size() != 2 * bytes.size())
            std::abort();
    }
    fixture.clearLog();
    return 0;
}
