#include "device_monitor.h"

#include <QSocketNotifier>
#include <libudev.h>

DeviceMonitor::DeviceMonitor(QObject* parent) : QObject(parent) {}

DeviceMonitor::~DeviceMonitor() {
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

bool DeviceMonitor::start() {
    if (monitor_)
        return true;
    udev_ = udev_new();
    if (!udev_)
        return false;
    // The "udev" source sends an event once the rules have run, so the node
    // already has the access the rules give it.
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        if (monitor_)
            udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return false;
    }
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &DeviceMonitor::receive);
    return true;
}

void DeviceMonitor::receive() {
    // The socket is non-blocking: take every event waiting, then return.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        auto text = [](const char* value) { return QString::fromUtf8(value ? value : ""); };
        handle({text(udev_device_get_subsystem(device)), text(udev_device_get_action(device)),
                text(udev_device_get_devnode(device))});
        udev_device_unref(device);
    }
}

void DeviceMonitor::handle(const DeviceEvent& event) {
    if (event.action != QLatin1String("add") && event.action != QLatin1String("remove"))
        return;
    if (event.subsystem == QLatin1String("hidraw"))
        emit readersChanged();
    else if (event.subsystem == QLatin1String("tty"))
        emit serialPortsChanged();
}
