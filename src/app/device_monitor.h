#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// One device event as udev reports it: subsystem "hidraw" or "tty", action
// "add" or "remove", the device node.
struct DeviceEvent {
    QString subsystem;
    QString action;
    QString node;
};

// Watches reader and serial devices coming and going with libudev's monitor,
// read on the GUI thread when its socket has an event. Without udev (a
// container, no netlink) it stays quiet and the program works as before.
class DeviceMonitor : public QObject {
    Q_OBJECT
  public:
    explicit DeviceMonitor(QObject* parent = nullptr);
    ~DeviceMonitor() override;

    // Starts watching; false when udev cannot be reached.
    bool start();
    // Turns one event into the signals below; other subsystems and actions
    // (bind, change) are ignored.
    void handle(const DeviceEvent& event);

  signals:
    void readersChanged();
    void serialPortsChanged();

  private:
    void receive();

    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};
