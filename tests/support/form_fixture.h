#pragma once

#include "app/log_pane.h"
#include "app/main_window.h"
#include "protocol/clock.h"

#include <QStringList>
#include <QTest>
#include <QWidget>

// The main window over a given reader device with a fixed clock (time stamps
// read "09:30:00 AM"), error boxes recorded instead of shown.
class FormFixture {
  public:
    explicit FormFixture(ReaderDevice& device)
        : clock(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0))), form(device, clock) {
        form.context().showError = [this](const QString& message) { errors << message; };
    }

    static QString time() { return QStringLiteral("09:30:00 AM"); }

    template <class Widget = QWidget> Widget* find(const char* name) {
        auto* widget = form.findChild<Widget*>(QLatin1String(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    void click(const char* name);
    QStringList lines() const { return form.logPane()->lines(); }
    void clearLog() { form.logPane()->clear(); }

    FixedClock clock;
    TForm1 form;
    QStringList errors;
};
