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
    // The optional part: off unless a test turns it on.
    bool listing = false;
    QList<ReaderInfo> found;
    QList<ReaderInfo> chosen; // every chooseReader call
    QStringList addedIds;
    ReaderFailure failure;
    bool simulating = false;

    void reply(const QString& hexText);
    QString unavailableReason() override { return unavailable; }
    int write(const QByteArray& frame) override;
    int read(unsigned char* buffer, int capacity) override;
    bool simulated() override { return simulating; }
    bool listsReaders() override { return listing; }
    QList<ReaderInfo> readers() override { return found; }
    bool chooseReader(const ReaderInfo& reader) override;
    bool addReaderId(quint16 vendorId, quint16 productId) override;
    ReaderFailure lastFailure() override { return failure; }
};
