#pragma once

#include "protocol/reader_device.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A reader that records every frame written and answers with scripted reply
// frames (hex text), one per exchange; with no reply left it answers nothing.
class ScriptedDevice : public ReaderDevice {
  public:
    QStringList written;       // frames as compact upper-case hex
    QList<QByteArray> replies; // next replies, raw bytes
    int writeResult = -1;      // -1: the whole frame; otherwise this count
    QString unavailable;

    void reply(const QString& hexText);
    QString unavailableReason() override { return unavailable; }
    int write(const QByteArray& frame) override;
    int read(unsigned char* buffer, int capacity) override;
    bool simulated() override { return false; }
};
