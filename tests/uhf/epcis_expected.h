#pragma once

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
