#include "epcis_export.h"

#include "gs1_epc.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUuid>
#include <QXmlStreamWriter>

namespace epcis {
namespace {

const char* const context = "https://ref.gs1.org/standards/epcis/2.0.0/epcis-context.jsonld";

struct Event {
    QString time;
    QString offset;
    QString id;
    QString epc;
    QString readPoint;
    QString bizLocation;
};

// Why a record is left out, in the order of the stderr line.
enum Reason { NotGs1, Pending, Uncertain, Released, LockNotVerified, reasons };
const char* const reasonNames[reasons] = {
    QT_TRANSLATE_NOOP("EpcisExport", "不是 GS1"), QT_TRANSLATE_NOOP("EpcisExport", "未完成"),
    QT_TRANSLATE_NOOP("EpcisExport", "未确定"), QT_TRANSLATE_NOOP("EpcisExport", "已释放"),
    QT_TRANSLATE_NOOP("EpcisExport", "锁定未验证")};

QString utcTime(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// "+08:00": the zone's offset from UTC at that moment.
QString offsetText(const QTimeZone& zone, const QDateTime& time) {
    const int minutes = zone.offsetFromUtc(time) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(qAbs(minutes) / 60, 2, 10, QLatin1Char('0'))
        .arg(qAbs(minutes) % 60, 2, 10, QLatin1Char('0'));
}

QString jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// Written by hand rather than through QJsonObject, which sorts the keys: the
// members come in the order of the standard's examples, as receivers show them.
QByteArray jsonDocument(const QList<Event>& events, const QString& created) {
    QString text = QStringLiteral("{\n  \"@context\": [%1],\n  \"type\": \"EPCISDocument\",\n"
                                  "  \"schemaVersion\": \"2.0\",\n  \"creationDate\": %2,\n"
                                  "  \"epcisBody\": {\n    \"eventList\": [")
                       .arg(jsonString(QLatin1String(context)), jsonString(created));
    for (qsizetype i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        text +=
            (i ? QStringLiteral(",\n") : QStringLiteral("\n")) +
            QStringLiteral("      {\n        \"type\": \"ObjectEvent\",\n"
                           "        \"eventTime\": %1,\n        \"eventTimeZoneOffset\": %2,\n"
                           "        \"eventID\": %3,\n        \"epcList\": [%4],\n"
                           "        \"action\": \"ADD\",\n"
                           "        \"bizStep\": \"commissioning\",\n"
                           "        \"disposition\": \"active\"")
                .arg(jsonString(e.time), jsonString(e.offset), jsonString(e.id), jsonString(e.epc));
        for (auto [name, id] :
             {std::pair{"readPoint", &e.readPoint}, std::pair{"bizLocation", &e.bizLocation}})
            if (!id->isEmpty())
                text += QStringLiteral(",\n        \"%1\": {\"id\": %2}")
                            .arg(QLatin1String(name), jsonString(*id));
        text += QStringLiteral("\n      }");
    }
    text += events.isEmpty() ? QStringLiteral("]\n  }\n}\n") : QStringLiteral("\n    ]\n  }\n}\n");
    return text.toUtf8();
}

// The ObjectEvent's children in the order its schema fixes.
QByteArray xmlDocument(const QList<Event>& events, const QString& created) {
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("epcis:EPCISDocument"));
    xml.writeAttribute(QStringLiteral("xmlns:epcis"), QStringLiteral("urn:epcglobal:epcis:xsd:2"));
    xml.writeAttribute(QStringLiteral("schemaVersion"), QStringLiteral("2.0"));
    xml.writeAttribute(QStringLiteral("creationDate"), created);
    xml.writeStartElement(QStringLiteral("EPCISBody"));
    xml.writeStartElement(QStringLiteral("EventList"));
    for (const Event& e : events) {
        xml.writeStartElement(QStringLiteral("ObjectEvent"));
        xml.writeTextElement(QStringLiteral("eventTime"), e.time);
        xml.writeTextElement(QStringLiteral("eventTimeZoneOffset"), e.offset);
        xml.writeTextElement(QStringLiteral("eventID"), e.id);
        xml.writeStartElement(QStringLiteral("epcList"));
        xml.writeTextElement(QStringLiteral("epc"), e.epc);
        xml.writeEndElement();
        xml.writeTextElement(QStringLiteral("action"), QStringLiteral("ADD"));
        xml.writeTextElement(QStringLiteral("bizStep"),
                             QStringLiteral("urn:epcglobal:cbv:bizstep:commissioning"));
        xml.writeTextElement(QStringLiteral("disposition"),
                             QStringLiteral("urn:epcglobal:cbv:disp:active"));
        for (auto [name, id] :
             {std::pair{"readPoint", &e.readPoint}, std::pair{"bizLocation", &e.bizLocation}})
            if (!id->isEmpty()) {
                xml.writeStartElement(QLatin1String(name));
                xml.writeTextElement(QStringLiteral("id"), *id);
                xml.writeEndElement();
            }
        xml.writeEndElement();
    }
    // Auto-formatting ends the document with a line break.
    xml.writeEndDocument();
    return text;
}

QString leftOutLine(const int (&counts)[reasons]) {
    QStringList parts;
    int total = 0;
    for (int r = 0; r < reasons; ++r)
        if (counts[r] > 0) {
            parts << QCoreApplication::translate("EpcisExport", "%1 条%2")
                         .arg(counts[r])
                         .arg(QCoreApplication::translate("EpcisExport", reasonNames[r]));
            total += counts[r];
        }
    if (total == 0)
        return QString();
    // English counts one record and several apart; Chinese says both alike.
    const QString line =
        total == 1
            ? QCoreApplication::translate("EpcisExport", "略去 %1 条记录：%2", "one record")
            : QCoreApplication::translate("EpcisExport", "略去 %1 条记录：%2", "several records");
    return line.arg(total).arg(
        parts.join(QCoreApplication::translate("EpcisExport", "，", "between the reasons")));
}

} // namespace

QString sglnProblem(const QString& uri) {
    // Company prefix and location reference make 12 digits; the extension is
    // 1 to 20 characters of the GS1 set, with " % & / < > ? escaped.
    static const QRegularExpression sgln(
        QStringLiteral("^urn:epc:id:sgln:([0-9]{6,12})\\.([0-9]{0,6})\\."
                       "((?:[0-9A-Za-z!'()*+,\\-.:;=_]|%2[2562Ff]|%3[CcEeFf]){1,20})$"));
    const QRegularExpressionMatch match = sgln.match(uri);
    if (match.hasMatch() && match.capturedLength(1) + match.capturedLength(2) == 12)
        return QString();
    return QCoreApplication::translate(
               "EpcisExport",
               "不是 SGLN 纯标识 URI（urn:epc:id:sgln:厂商识别代码.位置参考代码.扩展，"
               "扩展之前共 12 位数字）：“%1”")
        .arg(uri);
}

QString timeZoneProblem(const QString& zone) {
    if (QTimeZone(zone.toUtf8()).isValid())
        return QString();
    return QCoreApplication::translate("EpcisExport",
                                       "不是时区（例如 Asia/Shanghai 或 UTC+08:00）：“%1”")
        .arg(zone);
}

QDateTime sinceTime(const QString& text) {
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid()) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            time = date.startOfDay();
    }
    return time;
}

QString eventId(const IssuingJournal::Record& record) {
    // The record's fixed fields: its outcome is left out, it is what changes.
    static const QUuid space =
        QUuid::createUuidV5(QUuid(QStringLiteral("6ba7b811-9dad-11d1-80b4-00c04fd430c8")),
                            QStringLiteral("urn:rfid-setup:issuing-journal"));
    const QString name = QStringList{QString::number(record.id),
                                     QString::number(record.series),
                                     record.epc.toUpper(),
                                     record.tid.toUpper(),
                                     record.station,
                                     record.time}
                             .join(QLatin1Char('|'));
    return QStringLiteral("urn:uuid:") +
           QUuid::createUuidV5(space, name).toString(QUuid::WithoutBraces);
}

std::optional<Export> build(IssuingJournal& journal, const Request& request,
                            const QDateTime& created, Failure* failure) {
    auto failed = [&](bool usage, const QString& text) {
        *failure = {usage, text};
        return std::nullopt;
    };
    const QList<IssuingJournal::Record> records = journal.records();
    if (!journal.errorText().isEmpty())
        return failed(false, journal.errorText());
    if (request.series > 0) {
        const QList<IssuingJournal::SeriesSummary> summaries = journal.seriesSummaries();
        if (!journal.errorText().isEmpty())
            return failed(false, journal.errorText());
        if (std::none_of(summaries.begin(), summaries.end(),
                         [&](const auto& s) { return s.series.id == request.series; }))
            return failed(true,
                          QCoreApplication::translate(
                              "EpcisExport", "发卡记录中没有系列 %1：journal series 列出所有系列")
                              .arg(request.series));
    }
    if (!request.station.isEmpty() &&
        std::none_of(records.begin(), records.end(),
                     [&](const auto& r) { return r.station == request.station; }))
        return failed(true,
                      QCoreApplication::translate(
                          "EpcisExport", "发卡记录中没有工位 %1 的记录：journal list 列出所有记录")
                          .arg(request.station));
    EpcisStations stations(journal.database());
    const std::optional<QHash<QString, EpcisStations::Location>> locations = stations.locations();
    std::optional<QHash<QString, qint64>> marks = QHash<QString, qint64>();
    if (request.sinceLast)
        marks = stations.marks(request.series);
    if (!locations || !marks)
        return failed(false, stations.errorText());

    Export done;
    QList<Event> events;
    int counts[reasons] = {};
    QHash<QString, qint64> firstPending;
    for (const IssuingJournal::Record& r : records) {
        const QDateTime time = QDateTime::fromString(r.time, Qt::ISODateWithMs);
        if ((request.series > 0 && r.series != request.series) ||
            (!request.station.isEmpty() && r.station != request.station) ||
            (request.since.isValid() && time < request.since) ||
            (request.sinceLast && r.id <= marks->value(r.station)))
            continue;
        if (request.sinceLast) {
            done.marks[r.station] = r.id;
            // A record still open holds the mark: a pending or an uncertain one is settled
            // as written once its tag is read again, a lock may yet be finished.
            if ((r.outcome == IssuingJournal::Outcome::Pending ||
                 r.outcome == IssuingJournal::Outcome::Uncertain || r.lock.unfinished()) &&
                !firstPending.contains(r.station))
                firstPending.insert(r.station, r.id);
        }
        QString why;
        const std::optional<gs1::Epc> epc = gs1::decode(r.epc, &why);
        Reason reason = NotGs1;
        switch (r.outcome) {
        case IssuingJournal::Outcome::Pending:
            reason = Pending;
            break;
        case IssuingJournal::Outcome::Uncertain:
            reason = Uncertain;
            break;
        case IssuingJournal::Outcome::Released:
            reason = Released;
            break;
        case IssuingJournal::Outcome::Written:
            // A tag meant to be locked is handed on once the lock is known to hold.
            if (r.lock.inUse() && r.lock.verified != IssuingJournal::Step::Done)
                reason = LockNotVerified;
            else if (epc) {
                const EpcisStations::Location own = locations->value(r.station);
                auto chosen = [](const QString& given, const QString& own) {
                    return given.isEmpty() ? own : given;
                };
                const QString zone = chosen(request.given.timeZone, own.timeZone);
                events << Event{utcTime(time),
                                offsetText(zone.isEmpty() ? QTimeZone::systemTimeZone()
                                                          : QTimeZone(zone.toUtf8()),
                                           time),
                                eventId(r),
                                epc->pureIdentityUri(),
                                chosen(request.given.readPoint, own.readPoint),
                                chosen(request.given.bizLocation, own.bizLocation)};
                continue;
            }
            break;
        }
        ++counts[reason];
    }
    for (auto pending = firstPending.begin(); pending != firstPending.end(); ++pending)
        done.marks[pending.key()] = qMax(marks->value(pending.key()), pending.value() - 1);
    const QString creation = utcTime(created);
    done.document = request.xml ? xmlDocument(events, creation) : jsonDocument(events, creation);
    done.events = int(events.size());
    done.leftOut = leftOutLine(counts);
    return done;
}

namespace {

bool keepsLocation(const Request& request) {
    const EpcisStations::Location& g = request.given;
    return !request.station.isEmpty() &&
           !(g.readPoint.isEmpty() && g.bizLocation.isEmpty() && g.timeZone.isEmpty());
}

} // namespace

bool writes(const Request& request) {
    return request.sinceLast || keepsLocation(request);
}

bool keep(EpcisStations& stations, const Request& request, const Export& done) {
    if (request.sinceLast && !stations.setMarks(request.series, done.marks))
        return false;
    return !keepsLocation(request) || stations.setLocation(request.station, request.given);
}

} // namespace epcis
