#pragma once

#include "uhf/epcis_export.h"

#include <QDateTime>

namespace {

const QDateTime created =
    QDateTime::fromString(QStringLiteral("2026-12-09T09:00:00.000Z"), Qt::ISODateWithMs);

// A journal of station line1: two SGTINs written, a tag written with a
// number that is not GS1, and an SGTIN whose write stayed uncertain.
struct SmallJournal {
    IssuingJournal journal;
    IssuingJournal::Series sgtin;
    int tags = 0;

    bool open(const QString& address) {
        journal.now = [this] { return created.addSecs(-3600 + tags); };
        if (!journal.open(address) ||
            journal.hold(QStringLiteral("line1")) != IssuingJournal::Status::Ok)
            return false;
        sgtin = *journal.openSeries(QStringLiteral("3034257BF7194E40000003E9"), QStringLiteral("1"),
                                    false);
        const IssuingJournal::Series plain = *journal.openSeries(
            QStringLiteral("E20000000000000000000001"), QStringLiteral("1"), false);
        return add(sgtin, IssuingJournal::Outcome::Written) &&
               add(sgtin, IssuingJournal::Outcome::Written) &&
               add(plain, IssuingJournal::Outcome::Written) &&
               add(sgtin, IssuingJournal::Outcome::Uncertain);
    }
    // Outcome Pending: left as reserved.
    bool add(const IssuingJournal::Series& series, IssuingJournal::Outcome outcome) {
        const QString tid =
            QStringLiteral("E2801105200030614701%1").arg(++tags, 4, 16, QLatin1Char('0'));
        const IssuingJournal::Reservation r = journal.reserve(series, tid, QStringLiteral("line1"));
        return r.status == IssuingJournal::Status::Ok &&
               (outcome == IssuingJournal::Outcome::Pending ||
                journal.resolve(r.record.id, outcome));
    }
};

// The small journal's documents, exactly (kept out of the test source: moc
// does not read raw string literals). The event IDs may not change from one
// version of the tool to the next: receivers drop resent events by them.

const char* const expectedJson = R"({
  "@context": ["https://ref.gs1.org/standards/epcis/2.0.0/epcis-context.jsonld"],
  "type": "EPCISDocument",
  "schemaVersion": "2.0",
  "creationDate": "2026-12-09T09:00:00.000Z",
  "epcisBody": {
    "eventList": [
      {
        "type": "ObjectEvent",
        "eventTime": "2026-12-09T08:00:01.000Z",
        "eventTimeZoneOffset": "+08:00",
        "eventID": "urn:uuid:ef2a8581-eb3c-5af7-a0bb-e0820066d055",
        "epcList": ["urn:epc:id:sgtin:0614141.812345.1001"],
        "action": "ADD",
        "bizStep": "commissioning",
        "disposition": "active",
        "readPoint": {"id": "urn:epc:id:sgln:0614141.07346.1234"},
        "bizLocation": {"id": "urn:epc:id:sgln:0614141.07346.0"}
      },
      {
        "type": "ObjectEvent",
        "eventTime": "2026-12-09T08:00:02.000Z",
        "eventTimeZoneOffset": "+08:00",
        "eventID": "urn:uuid:5c0e1e9c-5185-5227-be90-baaad69dce79",
        "epcList": ["urn:epc:id:sgtin:0614141.812345.1002"],
        "action": "ADD",
        "bizStep": "commissioning",
        "disposition": "active",
        "readPoint": {"id": "urn:epc:id:sgln:0614141.07346.1234"},
        "bizLocation": {"id": "urn:epc:id:sgln:0614141.07346.0"}
      }
    ]
  }
}
)";

const char* const expectedXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<epcis:EPCISDocument xmlns:epcis="urn:epcglobal:epcis:xsd:2" schemaVersion="2.0" creationDate="2026-12-09T09:00:00.000Z">
  <EPCISBody>
    <EventList>
      <ObjectEvent>
        <eventTime>2026-12-09T08:00:01.000Z</eventTime>
        <eventTimeZoneOffset>+08:00</eventTimeZoneOffset>
        <eventID>urn:uuid:ef2a8581-eb3c-5af7-a0bb-e0820066d055</eventID>
        <epcList>
          <epc>urn:epc:id:sgtin:0614141.812345.1001</epc>
        </epcList>
        <action>ADD</action>
        <bizStep>urn:epcglobal:cbv:bizstep:commissioning</bizStep>
        <disposition>urn:epcglobal:cbv:disp:active</disposition>
        <readPoint>
          <id>urn:epc:id:sgln:0614141.07346.1234</id>
        </readPoint>
        <bizLocation>
          <id>urn:epc:id:sgln:0614141.07346.0</id>
        </bizLocation>
      </ObjectEvent>
      <ObjectEvent>
        <eventTime>2026-12-09T08:00:02.000Z</eventTime>
        <eventTimeZoneOffset>+08:00</eventTimeZoneOffset>
        <eventID>urn:uuid:5c0e1e9c-5185-5227-be90-baaad69dce79</eventID>
        <epcList>
          <epc>urn:epc:id:sgtin:0614141.812345.1002</epc>
        </epcList>
        <action>ADD</action>
        <bizStep>urn:epcglobal:cbv:bizstep:commissioning</bizStep>
        <disposition>urn:epcglobal:cbv:disp:active</disposition>
        <readPoint>
          <id>urn:epc:id:sgln:0614141.07346.1234</id>
        </readPoint>
        <bizLocation>
          <id>urn:epc:id:sgln:0614141.07346.0</id>
        </bizLocation>
      </ObjectEvent>
    </EventList>
  </EPCISBody>
</epcis:EPCISDocument>
)";

} // namespace
