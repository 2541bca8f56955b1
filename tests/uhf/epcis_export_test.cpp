#include "uhf/epcis_small_journal.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <arpa/inet.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// An EPCIS repository's capture interface on 127.0.0.1: takes one request per
// connection, keeps it, and answers with the status it is told.
class CaptureListener {
  public:
    struct Request {
        QByteArray head; // request line and headers
        QByteArray body;
    };

    CaptureListener() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(socket_, 4) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            qFatal("no listener on 127.0.0.1");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~CaptureListener() {
        ::shutdown(socket_, SHUT_RDWR);
        ::close(socket_);
        thread_.join();
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/epcis").arg(port_); }
    void answer(const QByteArray& statusAndHeaders) {
        std::lock_guard<std::mutex> lock(mutex_);
        answer_ = statusAndHeaders;
    }
    QList<Request> requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

  private:
    void serve() {
        for (int client; (client = ::accept(socket_, nullptr, nullptr)) >= 0; ::close(client)) {
            Request request;
            QByteArray bytes;
            char buffer[4096];
            qsizetype length = -1;
            for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
                bytes.append(buffer, n);
                const qsizetype end = bytes.indexOf("\r\n\r\n");
                if (end < 0)
                    continue;
                request.head = bytes.left(end);
                for (const QByteArray& line : request.head.split('\n'))
                    if (line.toLower().startsWith("content-length:"))
                        length = line.mid(15).trimmed().toLongLong();
                if (bytes.size() - end - 4 >= length)
                    break;
            }
            request.body = bytes.mid(request.head.size() + 4);
            QByteArray answer;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_ << request;
                answer = answer_;
            }
            answer += "Content-Length: 16\r\nConnection: close\r\n\r\nschema not met\r\n";
            if (::write(client, answer.constData(), size_t(answer.size())) < 0)
                qWarning("the answer was not written");
        }
    }

    int socket_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    QByteArray answer_ = "HTTP/1.1 202 Accepted\r\nLocation: /epcis/capture/7\r\n";
    QList<Request> requests_;
};

epcis::Request located(bool xml) {
    epcis::Request request;
    request.xml = xml;
    request.given = {QStringLiteral("urn:epc:id:sgln:0614141.07346.1234"),
                     QStringLiteral("urn:epc:id:sgln:0614141.07346.0"),
                     QStringLiteral("Asia/Shanghai")};
    return request;
}

epcis::Export exported(IssuingJournal& journal, const epcis::Request& request) {
    epcis::Failure failure;
    const std::optional<epcis::Export> done = epcis::build(journal, request, created, &failure);
    if (!done)
        qWarning() << failure.text;
    return done.value_or(epcis::Export{});
}

// Runs a checker on the document; its exit code.
int check(const QString& program, const QStringList& arguments, const QByteArray& document) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("document")));
    if (!file.open(QIODevice::WriteOnly) || file.write(document) < 0)
        return -1;
    file.close();
    QProcess process;
    process.start(program, arguments + QStringList{file.fileName()});
    return process.waitForFinished(30000) ? process.exitCode() : -1;
}

int xmllint(const QByteArray& document) {
    return check(QStringLiteral("xmllint"), {QStringLiteral("--noout")}, document);
}

int pythonJson(const QByteArray& document) {
    return check(
        QStringLiteral("python3"),
        {QStringLiteral("-c"), QStringLiteral("import json, sys; d = json.load(open(sys.argv[1])); "
                                              "sys.exit(d['schemaVersion'] != '2.0')")},
        document);
}

} // namespace

class EpcisExportTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString journalFile(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    QString postgresJournal() {
        const QByteArray url = qgetenv("RFID_TEST_POSTGRES_URL");
        const QString database =
            QStringLiteral("epcis_%1").arg(QRandomGenerator::global()->generate());
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   {QString::fromLatin1(url), "-c", "CREATE DATABASE " + database});
        if (!psql.waitForFinished(30000) || psql.exitCode() != 0)
            return QString();
        return QString::fromLatin1(url).section('/', 0, -2) + '/' + database;
    }

  private slots:
    void documentsAreExactAndWellFormed_data() {
        QTest::addColumn<bool>("xml");
        QTest::newRow("json-ld") << false;
        QTest::newRow("xml") << true;
    }
    void documentsAreExactAndWellFormed() {
        QFETCH(bool, xml);
        SmallJournal small;
        QVERIFY(small.open(journalFile(xml ? "xml.sqlite" : "json.sqlite")));
        const epcis::Export done = exported(small.journal, located(xml));
        QCOMPARE(done.document, QByteArray(xml ? expectedXml : expectedJson));
        QCOMPARE(done.events, 2);
        QCOMPARE(done.leftOut, QStringLiteral("略去 2 条记录：1 条不是 GS1，1 条未确定"));
        QCOMPARE(xml ? xmllint(done.document) : pythonJson(done.document), 0);
        // The other checker refuses it: both checks can fail.
        QVERIFY((xml ? pythonJson(done.document) : xmllint(done.document)) != 0);
    }

    void eventIdsAreStableAcrossExportsAndJournals() {
        SmallJournal first;
        SmallJournal second;
        QVERIFY(first.open(journalFile("first.sqlite")));
        QVERIFY(second.open(journalFile("second.sqlite")));
        const QByteArray once = exported(first.journal, located(false)).document;
        QCOMPARE(exported(first.journal, located(false)).document, once);
        // The same records in another file are the same events.
        QCOMPARE(exported(second.journal, located(false)).document, once);
        IssuingJournal::Record record = first.journal.records().constFirst();
        const QString id = epcis::eventId(record);
        record.outcome = IssuingJournal::Outcome::Uncertain;
        QCOMPARE(epcis::eventId(record), id);
        record.tid[0] = QLatin1Char('F');
        QVERIFY(epcis::eventId(record) != id);
    }

    void xmlKeepsTheSchemasElementOrder() {
        SmallJournal small;
        QVERIFY(small.open(journalFile("order.sqlite")));
        const QStringList order = {"eventTime",   "recordTime",       "eventTimeZoneOffset",
                                   "eventID",     "errorDeclaration", "certificationInfo",
                                   "epcList",     "action",           "bizStep",
                                   "disposition", "readPoint",        "bizLocation"};
        QXmlStreamReader xml(exported(small.journal, located(true)).document);
        int events = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement ||
                xml.name() != QLatin1String("ObjectEvent"))
                continue;
            ++events;
            qsizetype at = -1;
            while (xml.readNextStartElement()) {
                const qsizetype position = order.indexOf(xml.name().toString());
                QVERIFY2(position > at, qPrintable(xml.name().toString()));
                at = position;
                xml.skipCurrentElement();
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(events, 2);
    }

    // --since TIME: the records from that moment on.
    void sinceTimeLeavesOutWhatCameBefore() {
        SmallJournal small;
        QVERIFY(small.open(journalFile("since.sqlite")));
        epcis::Request request = located(false);
        request.since = epcis::sinceTime(QStringLiteral("2026-12-09T08:00:02Z"));
        const epcis::Export done = exported(small.journal, request);
        QCOMPARE(done.events, 1);
        QVERIFY(done.document.contains("urn:epc:id:sgtin:0614141.812345.1002"));
        QCOMPARE(done.leftOut, QStringLiteral("略去 2 条记录：1 条不是 GS1，1 条未确定"));
    }

    // --since last: each station's mark; a pending record holds it until it is settled.
    void sinceLastHandsOnOnlyWhatIsNew_data() {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgres") << true;
    }
    void sinceLastHandsOnOnlyWhatIsNew() {
        QFETCH(bool, postgres);
        if (postgres && qEnvironmentVariableIsEmpty("RFID_TEST_POSTGRES_URL"))
            QSKIP("RFID_TEST_POSTGRES_URL is not set (scripts/test starts a server)");
        const QString address = postgres ? postgresJournal() : journalFile("marks.sqlite");
        QVERIFY(!address.isEmpty());
        SmallJournal small;
        QVERIFY(small.open(address));
        EpcisStations stations(small.journal.database());
        epcis::Request request = located(false);
        request.sinceLast = true;
        request.given.readPoint.clear();
        request.station = QStringLiteral("line1");
        // Every document handed on is well-formed, the empty ones too.
        auto handOn = [&] {
            const epcis::Export done = exported(small.journal, request);
            if (pythonJson(done.document) != 0)
                return epcis::Export{};
            return epcis::keep(stations, request, done) ? done : epcis::Export{};
        };
        QCOMPARE(handOn().events, 2);
        // The uncertain record 4 holds the mark: its tag may yet be read back as written.
        QCOMPARE(handOn().leftOut, QStringLiteral("略去 1 条记录：1 条未确定"));
        QVERIFY(small.add(small.sgtin, IssuingJournal::Outcome::Written));
        QVERIFY(small.add(small.sgtin, IssuingJournal::Outcome::Pending));
        QVERIFY(small.add(small.sgtin, IssuingJournal::Outcome::Written));
        epcis::Export done = handOn();
        QCOMPARE(done.events, 2);
        QCOMPARE(done.leftOut, QStringLiteral("略去 2 条记录：1 条未完成，1 条未确定"));
        QCOMPARE(done.marks.value(QStringLiteral("line1")), 3);
        // Settled later, the open records are handed on; those after them again, by their IDs.
        QVERIFY(small.journal.resolve(4, IssuingJournal::Outcome::Written));
        done = handOn();
        QCOMPARE(done.events, 3);
        QVERIFY(done.document.contains("urn:epc:id:sgtin:0614141.812345.1003"));
        QCOMPARE(done.marks.value(QStringLiteral("line1")), 5);
        QVERIFY(small.journal.resolve(6, IssuingJournal::Outcome::Written));
        done = handOn();
        QCOMPARE(done.events, 2);
        QVERIFY(done.document.contains("urn:epc:id:sgtin:0614141.812345.1005"));
        QCOMPARE(done.marks.value(QStringLiteral("line1")), 7);
        QCOMPARE(handOn().events, 0);
        // The location given with the station is its own from now on.
        request.given = {};
        request.sinceLast = false;
        QVERIFY(
            exported(small.journal, request)
                .document.contains(R"("bizLocation": {"id": "urn:epc:id:sgln:0614141.07346.0"})"));
        QVERIFY(!exported(small.journal, request).document.contains("readPoint"));
        // The marks of every series are not those of one series.
        request.sinceLast = true;
        request.series = small.sgtin.id;
        QCOMPARE(exported(small.journal, request).events, 6);
    }

    // The tool: the document on its file, the left-out count on stderr, and a mark that moves
    // only once the document is written.
    void commandLineReportsAndMovesTheMarkOnlyOnceWritten() {
        const QString journal = journalFile("handed.sqlite");
        {
            SmallJournal small;
            QVERIFY(small.open(journal));
        }
        struct Run {
            int exitCode;
            QByteArray out;
            QByteArray err;
        };
        auto run = [&](const QStringList& arguments) {
            QProcess cli;
            cli.start(QStringLiteral(CLI_PROGRAM),
                      QStringList{"journal", "export", "--journal", journal, "--epcis", "--since",
                                  "last", "--station", "line1"} +
                          arguments);
            cli.waitForFinished(30000);
            return Run{cli.exitCode(), cli.readAllStandardOutput(), cli.readAllStandardError()};
        };
        const QString sgln = QStringLiteral("urn:epc:id:sgln:0614141.07346.1234");
        const Run refused = run({"--read-point", sgln, "--output", "/nonexistent/epcis.jsonld"});
        QCOMPARE(refused.exitCode, 2);
        const QString file = dir_.filePath(QStringLiteral("handed.jsonld"));
        const Run handed = run({"--output", file});
        QCOMPARE(handed.exitCode, 0);
        QCOMPARE(handed.out, (QStringLiteral("2 events written to ") + file + '\n').toUtf8());
        QCOMPARE(handed.err, QByteArray("略去 2 条记录：1 条不是 GS1，1 条未确定\n"));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray document = written.readAll();
        QCOMPARE(pythonJson(document), 0);
        // The read point refused with the output was not kept either.
        QVERIFY(!document.contains("readPoint"));
        const Run again = run({"--xml"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.err, QByteArray("略去 1 条记录：1 条未确定\n"));
        QVERIFY(!again.out.contains("<ObjectEvent>"));
        QCOMPARE(xmllint(again.out), 0);
    }

    // Sent to a repository: the document it took is the one written, with the
    // version headers; one it refused, or one not there, moves no mark, so that the
    // next export sends the same events.
    void postedDocumentsMoveTheMarkOnlyOnceTaken() {
        for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
        const QString journal = journalFile("posted.sqlite");
        {
            SmallJournal small;
            QVERIFY(small.open(journal));
        }
        const QString file = dir_.filePath(QStringLiteral("posted.jsonld"));
        // Exit code, stdout and stderr of one export sent to URL.
        auto post = [&](const QString& url) {
            QProcess cli;
            cli.start(QStringLiteral(CLI_PROGRAM),
                      {"journal", "export", "--journal", journal, "--epcis", "--since", "last",
                       "--station", "line1", "--output", file, "--post", url});
            cli.waitForFinished(60000);
            return std::tuple(cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                              QString::fromUtf8(cli.readAllStandardError()));
        };
        const QString written = "2 events written to " + file + '\n';
        const QString left = QStringLiteral("略去 2 条记录：1 条不是 GS1，1 条未确定\n");
        const QString notTaken =
            QStringLiteral("rfid-setup-cli: EPCIS 存储库 %1 没有接收文档（%2）："
                           "标记未移动；请检查地址和存储库后再导出，事件及其 "
                           "ID 不变\n");
        QString closed;
        {
            CaptureListener gone;
            closed = gone.url() + QStringLiteral("/capture");
        }
        QCOMPARE(post(closed),
                 std::tuple(7, written, left + notTaken.arg(closed, "Connection refused")));
        CaptureListener repository;
        const QString capture = repository.url() + QStringLiteral("/capture");
        repository.answer("HTTP/1.1 400 Bad Request\r\n");
        QCOMPARE(post(repository.url()),
                 std::tuple(7, written,
                            left + notTaken.arg(capture, "HTTP 400 Bad Request: schema not met")));
        repository.answer("HTTP/1.1 202 Accepted\r\nLocation: /epcis/capture/7\r\n");
        QCOMPARE(post(repository.url()), std::tuple(0,
                                                    written + "2 events sent to " + capture +
                                                        ", capture job " + capture + "/7\n",
                                                    left));
        const QList<CaptureListener::Request> requests = repository.requests();
        QCOMPARE(requests.size(), 2);
        QFile document(file);
        QVERIFY(document.open(QIODevice::ReadOnly));
        const QByteArray sent = document.readAll();
        QCOMPARE(requests[1].body, sent);
        // The refused document carried the same events, IDs and all.
        auto events = [](const QByteArray& document) {
            return document.mid(document.indexOf("\"epcisBody\""));
        };
        QCOMPARE(events(requests[0].body), events(sent));
        const QByteArray head = requests[1].head.toLower();
        QVERIFY2(head.startsWith("post /epcis/capture http/1.1\r\n"), head.constData());
        for (const char* header : {"content-type: application/ld+json", "gs1-epcis-version: 2.0",
                                   "gs1-capture-error-behaviour: rollback"})
            QVERIFY2(head.contains(QByteArray("\r\n") + header + "\r"), header);
        // Taken: the mark moved, nothing new is sent.
        QCOMPARE(post(repository.url()),
                 std::tuple(0,
                            "0 events written to " + file + "\n0 events, nothing sent to " +
                                capture + '\n',
                            QStringLiteral("略去 1 条记录：1 条未确定\n")));
        QCOMPARE(repository.requests().size(), 2);
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString sgln = QStringLiteral("urn:epc:id:sgln:0614141.07346.0");
        QTest::newRow("read point not an SGLN")
            << QStringList{"--read-point", "urn:epc:id:sgtin:0614141.812345.1"} << 2
            << "--read-point: 不是 SGLN";
        QTest::newRow("SGLN of 11 digits")
            << QStringList{"--biz-location", "urn:epc:id:sgln:0614141.0734.0"} << 2
            << "--biz-location: 不是 SGLN";
        QTest::newRow("SGLN without extension")
            << QStringList{"--read-point", "urn:epc:id:sgln:0614141.07346."} << 2 << "不是 SGLN";
        QTest::newRow("time zone") << QStringList{"--time-zone", "Mars/Olympus"} << 2 << "不是时区";
        QTest::newRow("since") << QStringList{"--since", "yesterday"} << 2 << "--since takes";
        QTest::newRow("unknown series") << QStringList{"--series", "9"} << 2
                                        << "发卡记录中没有系列 9：journal series 列出所有系列";
        QTest::newRow("unknown station")
            << QStringList{"--station", "line9"} << 2
            << "发卡记录中没有工位 line9 的记录：journal list 列出所有记录";
        QTest::newRow("xml without epcis")
            << QStringList{"--xml", "--csv"} << 2 << "go with --epcis";
        QTest::newRow("unwritable output")
            << QStringList{"--output", "/nonexistent/epcis.jsonld", "--read-point", sgln} << 2
            << "give a file";
        QTest::newRow("post to no repository")
            << QStringList{"--post", "ftp://127.0.0.1/epcis"} << 2 << "--post takes the http://";
        QTest::newRow("no journal")
            << QStringList{"--journal", "/nonexistent/j.sqlite"} << 6 << "处没有发卡记录";
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        {
            SmallJournal small;
            if (!QFile::exists(journalFile("cli.sqlite")))
                QVERIFY(small.open(journalFile("cli.sqlite")));
        }
        const QString output = dir_.filePath(QStringLiteral("refused.jsonld"));
        QProcess cli;
        QStringList all = {"journal", "export", "--journal", journalFile("cli.sqlite"), "--epcis"};
        if (arguments.first() == QLatin1String("--xml"))
            all.removeLast();
        if (!arguments.contains(QStringLiteral("--output")))
            all << "--output" << output;
        cli.start(QStringLiteral(CLI_PROGRAM), all + arguments);
        QVERIFY(cli.waitForFinished(30000));
        const QByteArray err = cli.readAllStandardError();
        QCOMPARE(cli.exitCode(), exitCode);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.contains(message.toUtf8()), err.constData());
        QVERIFY(!QFile::exists(output));
        QCOMPARE(QDir(dir_.path()).entryList({"refused*", "epcis*"}), QStringList());
    }
};

QTEST_GUILESS_MAIN(EpcisExportTest)
#include "epcis_export_test.moc"
