#pragma once

#include "protocol/log_sink.h"

#include <QStringList>

// Keeps every appended text as it was given.
class RecordingLog : public LogSink {
  public:
    QStringList texts;
    void appendLine(const QString& text) override { texts << text; }
};
