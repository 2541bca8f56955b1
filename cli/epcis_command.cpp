#include "epcis_command.h"

#include "uhf/epcis_export.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTextStream>
#include <QUrl>

namespace {

const char* const epcisOptions[] = {"epcis",      "xml",          "since",     "series",
                                    "read-point", "biz-location", "time-zone", "post"};

// How long a repository may take to answer before the document counts as not taken.
constexpr int postTimeoutMs = 30000;

// The capture interface of the repository at URL: URL itself when it names
// it, else its /capture.
QUrl captureUrl(const QString& given) {
    QUrl url(given, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return QUrl();
    QString path = url.path();
    if (!path.endsWith(QLatin1String("/capture"))) {
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        url.setPath(path + QLatin1String("capture"));
    }
    return url;
}

struct Taken {
    bool ok = false;
    QString job;     // the capture job's location, when the repository gave one
    QString problem; // why it was not taken
};

// The document posted to the capture interface, all or nothing
// (GS1-Capture-Error-Behaviour: rollback). Any 2xx answer counts as taken.
Taken post(const QUrl& url, const QByteArray& document, bool xml) {
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      xml ? QByteArrayLiteral("application/xml")
                          : QByteArrayLiteral("application/ld+json"));
    request.setRawHeader("GS1-EPCIS-Version", "2.0");
    request.setRawHeader("GS1-Capture-Error-Behaviour", "rollback");
    request.setTransferTimeout(postTimeoutMs);
    QNetworkReply* reply = network.post(request, document);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Taken taken;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 200 && status < 300) {
        taken.ok = true;
        const QByteArray location = reply->rawHeader("Location");
        if (!location.isEmpty())
            taken.job = url.resolved(QUrl::fromEncoded(location)).toString();
    } else if (status > 0) {
        // The first line of the repository's own answer says why, kept short.
        const QString body = QString::fromUtf8(reply->readAll()).trimmed();
        const QString why = body.section(QLatin1Char('\n'), 0, 0).left(200).trimmed();
        taken.problem =
            QStringLiteral("HTTP %1 %2")
                .arg(status)
                .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()) +
            (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    } else {
        taken.problem = reply->errorString();
    }
    delete reply;
    return taken;
}

} // namespace

void addEpcisOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("epcis"),
         QStringLiteral("As an EPCIS 2.0 document: a commissioning event for each tag written "
                        "with a GS1 EPC (JSON-LD).")},
        {QStringLiteral("xml"), QStringLiteral("With --epcis: as XML.")},
        {QStringLiteral("since"),
         QStringLiteral("With --epcis: records from this time on (ISO 8601, local time without "
                        "an offset; or a date), or 'last': those after each station's last "
                        "export with --since last."),
         QStringLiteral("time")},
        {QStringLiteral("series"), QStringLiteral("With --epcis: only this series."),
         QStringLiteral("n")},
        {QStringLiteral("station"),
         QStringLiteral("With --epcis: only this station's records; the read point, business "
                        "location and time zone given are kept as its own."),
         QStringLiteral("name")},
        {QStringLiteral("read-point"),
         QStringLiteral("With --epcis: the readPoint (an SGLN pure identity URI) instead of the "
                        "station's."),
         QStringLiteral("sgln")},
        {QStringLiteral("biz-location"),
         QStringLiteral("With --epcis: the bizLocation (an SGLN pure identity URI) instead of "
                        "the station's."),
         QStringLiteral("sgln")},
        {QStringLiteral("post"),
         QStringLiteral("With --epcis: send the document to the EPCIS repository at this URL "
                        "(its capture interface, URL/capture) instead of printing it; --since "
                        "last moves the mark only once the repository has taken it."),
         QStringLiteral("url")},
        {QStringLiteral("time-zone"),
         QStringLiteral("With --epcis: the stations' time zone (default: the station's, else "
                        "this computer's)."),
         QStringLiteral("zone")},
    });
}

bool epcisRequested(const CommandParser& command) {
    return std::any_of(std::begin(epcisOptions), std::end(epcisOptions),
                       [&](const char* name) { return command.isSet(QLatin1String(name)); });
}

int epcisExportCommand(const CommandParser& command) {
    const QString name = command.name();
    if (!command.isSet(QStringLiteral("epcis")))
        return usageError(name, QStringLiteral("--xml, --since, --series, --read-point, "
                                               "--biz-location, --time-zone and --post go with "
                                               "--epcis"));
    if (command.isSet(QStringLiteral("csv")))
        return usageError(name, QStringLiteral("give --csv or --epcis, not both"));
    epcis::Request request;
    request.xml = command.isSet(QStringLiteral("xml"));
    if (command.isSet(QStringLiteral("series"))) {
        const int parsed = decimalArgument(name, QStringLiteral("--series"),
                                           command.value(QStringLiteral("series")), 1,
                                           1000000000000, &request.series);
        if (parsed >= 0)
            return parsed;
    }
    if (command.isSet(QStringLiteral("station"))) {
        request.station = command.value(QStringLiteral("station"));
        if (const QString problem = IssuingJournal::stationProblem(request.station);
            !problem.isEmpty())
            return usageError(name, problem);
    }
    if (command.isSet(QStringLiteral("since"))) {
        const QString since = command.value(QStringLiteral("since"));
        request.sinceLast = since == QLatin1String("last");
        request.since = epcis::sinceTime(since);
        if (!request.sinceLast && !request.since.isValid())
            return usageError(name, QStringLiteral("--since takes 'last', a date or an ISO 8601 "
                                                   "date-time, not '%1'")
                                        .arg(since));
    }
    for (auto [option, field] : {std::pair{"read-point", &request.given.readPoint},
                                 std::pair{"biz-location", &request.given.bizLocation},
                                 std::pair{"time-zone", &request.given.timeZone}}) {
        if (!command.isSet(QLatin1String(option)))
            continue;
        *field = command.value(QLatin1String(option)).trimmed();
        const QString problem = field == &request.given.timeZone ? epcis::timeZoneProblem(*field)
                                                                 : epcis::sglnProblem(*field);
        if (!problem.isEmpty())
            return usageError(name, QStringLiteral("--%1: %2").arg(QLatin1String(option), problem));
    }

    const bool posting = command.isSet(QStringLiteral("post"));
    const QUrl capture = captureUrl(command.value(QStringLiteral("post")));
    if (posting && capture.isEmpty())
        return usageError(name, QStringLiteral("--post takes the http:// or https:// address of "
                                               "an EPCIS repository, not '%1'")
                                    .arg(command.value(QStringLiteral("post"))));

    IssuingJournal journal;
    if (!openJournal(journal, command, IssuingJournal::Access::Read))
        return exitJournalError;
    // Marks and locations are written: a journal that cannot take them is
    // found before anything is handed on.
    IssuingJournal writer;
    EpcisStations stations(writer.database());
    if (epcis::writes(request)) {
        if (!openJournal(writer, command, IssuingJournal::Access::Issue))
            return exitJournalError;
        stations = EpcisStations(writer.database());
        if (!stations.prepare())
            return failWith(exitJournalError, stations.errorText());
    }
    epcis::Failure failure;
    const std::optional<epcis::Export> done =
        epcis::build(journal, request, QDateTime::currentDateTimeUtc(), &failure);
    if (!done)
        return failure.usage ? usageError(name, failure.text)
                             : failWith(exitJournalError, failure.text);

    // A file is written beside its place and renamed over it: never half a document.
    const QString output = command.value(QStringLiteral("output"));
    QSaveFile file(output);
    QFile out;
    if (command.isSet(QStringLiteral("output"))) {
        if (!file.open(QIODevice::WriteOnly) || file.write(done->document) < 0 || !file.commit())
            return failWith(exitUsage,
                            QStringLiteral("%1: %2: %3 (give a file that can be written)")
                                .arg(name, output, file.errorString()));
    } else if (!posting && (!out.open(stdout, QIODevice::WriteOnly) ||
                            out.write(done->document) < 0 || !out.flush())) {
        return failWith(exitUsage, QStringLiteral("%1: stdout: %2").arg(name, out.errorString()));
    }
    if (!done->leftOut.isEmpty())
        QTextStream(stderr) << done->leftOut << Qt::endl;
    if (command.isSet(QStringLiteral("output")))
        printOut(QStringLiteral("%1 events written to %2").arg(done->events).arg(output));
    if (posting) {
        if (done->events == 0) {
            printOut(QStringLiteral("0 events, nothing sent to %1").arg(capture.toString()));
            return exitOk;
        }
        const Taken taken = post(capture, done->document, request.xml);
        if (!taken.ok)
            return failWith(exitNotTaken,
                            QCoreApplication::translate(
                                "cli", "EPCIS 存储库 %1 没有接收文档（%2）：标记未移动；请检查地址"
                                       "和存储库后再导出，事件及其 ID 不变")
                                .arg(capture.toString(), taken.problem));
        printOut(QStringLiteral("%1 events sent to %2%3")
                     .arg(done->events)
                     .arg(capture.toString())
                     .arg(taken.job.isEmpty() ? QString()
                                              : QStringLiteral(", capture job ") + taken.job));
    }
    if (epcis::writes(request) && !epcis::keep(stations, request, *done))
        return failWith(exitJournalError,
                        stations.errorText() +
                            QStringLiteral(": the document was handed on, the mark was not "
                                           "moved; the next export --since last gives the same "
                                           "events again (with the same IDs)"));
    return exitOk;
}
