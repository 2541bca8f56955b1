#pragma once

#include "sim/hf_frame.h"
#include "sim/simulated_reader.h"
#include "sim_bytes.h"

#include <QStringList>
#include <QTest>

// One command to the simulated reader at address 00: the payload as hex text
// in, the reply payload (status first) as upper-case hex out.
inline QByteArray ask(sim::SimulatedReader& reader, const QByteArray& payload) {
    const sim::HfFrame reply =
        sim::HfFrame::parse(reader.exchange(sim::HfFrame::build(0x00, bytes(payload))));
    return hex(reply.payload);
}

// Runs "request -> reply" steps in order; a step's reply is compared exactly.
inline void runSteps(sim::SimulatedReader& reader, const QStringList& steps) {
    for (const QString& step : steps) {
        const QStringList parts = step.split(QStringLiteral(" -> "));
        QVERIFY2(parts.size() == 2, qPrintable(step));
        QCOMPARE(ask(reader, parts[0].toLatin1()) + " after " + parts[0].toLatin1(),
                 parts[1].toLatin1() + " after " + parts[0].toLatin1());
    }
}
