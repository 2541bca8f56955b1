#pragma once

#include "protocol/log_sink.h"

#include <QPlainTextEdit>

// The log pane RichEdit1: every outcome of the program is a line here. It has
// a fixed capacity; beyond it the oldest lines go, so a continuous mode left
// running for days keeps appending fast in bounded memory.
class LogPane : public QPlainTextEdit, public LogSink {
    Q_OBJECT
  public:
    static constexpr int capacity = 100000;

    explicit LogPane(QWidget* parent = nullptr);

    // CR LF, CR and LF each start a further line.
    void appendLine(const QString& text) override;
    QStringList lines() const;
};
