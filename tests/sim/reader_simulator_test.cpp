#include "sim/families/tunnel_family.h"
#include "sim/hf_frame.h"
#include "sim/reader_simulator.h"
#include "sim_bytes.h"

#include <QTest>

using sim::Bytes;

namespace {

using Families = std::vector<std::unique_ptr<sim::SimFamily>>;

// A family that answers each of its codes with a fixed payload.
std::unique_ptr<sim::SimFamily>
fixedFamily(const std::vector<std::pair<std::uint8_t, Bytes>>& answers) {
    std::vector<sim::SimFamily::Command> commands;
    for (const auto& [code, reply] : answers)
        commands.push_back({code, [reply = reply](const Bytes&) { return reply; }});
    return std::make_unique<sim::SimFamily>(std::move(commands));
}

// A family whose command 20 answers with the parameters it was given.
std::unique_ptr<sim::SimFamily> echoFamily() {
    return std::make_unique<sim::SimFamily>(std::vector<sim::SimFamily::Command>{
        {0x20, [](const Bytes& parameters) { return sim::success(parameters); }}});
}

} // namespace

class ReaderSimulatorTest : public QObject {
    Q_OBJECT

  private slots:
    void answersFrame_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("unknown command")
            << QByteArray("AA 00 01 55 54 BB") << QByteArray("AA 00 02 01 8F 8C BB");
        QTest::newRow("address echoed")
            << QByteArray("AA 11 01 55 45 BB") << QByteArray("AA 11 02 01 8F 9D BB");
        QTest::newRow("XOR error")
            << QByteArray("AA 00 01 55 00 BB") << QByteArray("AA 00 02 01 05 06 BB");
        QTest::newRow("XOR error at address 1F")
            << QByteArray("AA 1F 01 55 00 BB") << QByteArray("AA 1F 02 01 05 19 BB");
        QTest::newRow("no command code")
            << QByteArray("AA 00 00 00 BB") << QByteArray("AA 00 02 01 85 86 BB");
        QTest::newRow("tunnel, no tag") << QByteArray("AA 00 08 CE BB 00 22 00 00 22 7E 03 BB")
                                        << QByteArray("AA 00 09 00 BB 01 FF 00 01 15 16 7E 30 BB");
        QTest::newRow("tunnel at address 10")
            << QByteArray("AA 10 08 CE BB 00 22 00 00 22 7E 13 BB")
            << QByteArray("AA 10 09 00 BB 01 FF 00 01 15 16 7E 20 BB");
        QTest::newRow("tunnel, bad module checksum")
            << QByteArray("AA 00 08 CE BB 00 22 00 00 23 7E 02 BB")
            << QByteArray("AA 00 09 00 BB 01 FF 00 01 17 18 7E 3C BB");
        QTest::newRow("tunnel, no module frame")
            << QByteArray("AA 00 01 CE CF BB")
            << QByteArray("AA 00 09 00 BB 01 FF 00 01 17 18 7E 3C BB");
    }
    void answersFrame() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        sim::UhfModule module;
        module.field().clear();
        QCOMPARE(hex(tunnelReader(module).exchange(bytes(request))), reply);
    }

    void staysSilentOnNonFrames_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only") << QByteArray("AA");
        QTest::newRow("four bytes") << QByteArray("AA 00 00 BB");
        QTest::newRow("no header") << QByteArray("00 00 01 55 54 BB");
        QTest::newRow("no trailer") << QByteArray("AA 00 01 55 54 00");
        QTest::newRow("length too large") << QByteArray("AA 00 02 55 54 BB");
        QTest::newRow("length too small") << QByteArray("AA 00 00 55 54 BB");
        QTest::newRow("byte after trailer") << QByteArray("AA 00 01 55 54 BB 00");
        QTest::newRow("module frame alone") << QByteArray("BB 00 22 00 00 22 7E");
    }
    void staysSilentOnNonFrames() {
        QFETCH(QByteArray, request);
        sim::UhfModule module;
        QCOMPARE(hex(tunnelReader(module).exchange(bytes(request))), QByteArray());
    }

    // Families reuse codes: the earlier family in the list answers a shared code, and a code
    // only a later family knows still reaches it.
    void firstFamilyThatKnowsCodeAnswers_data() {
        QTest::addColumn<bool>("outputFormatFirst");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("82, output format first")
            << true << QByteArray("AA 00 01 82 83 BB") << QByteArray("AA 00 02 00 0F 0D BB");
        QTest::newRow("82, card reader first")
            << false << QByteArray("AA 00 01 82 83 BB") << QByteArray("AA 00 02 00 01 03 BB");
        QTest::newRow("89, only the card reader")
            << true << QByteArray("AA 00 01 89 88 BB") << QByteArray("AA 00 02 00 89 8B BB");
        QTest::newRow("CE, after both") << true << QByteArray("AA 00 01 CE CF BB")
                                        << QByteArray("AA 00 09 00 BB 01 FF 00 01 17 18 7E 3C BB");
    }
    void firstFamilyThatKnowsCodeAnswers() {
        QFETCH(bool, outputFormatFirst);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        auto outputFormat = fixedFamily({{0x82, sim::success({0x0F})}});
        auto cardReader = fixedFamily({{0x82, sim::success({0x01})}, {0x89, sim::success({0x89})}});
        sim::UhfModule module;
        Families families;
        families.push_back(std::move(outputFormatFirst ? outputFormat : cardReader));
        families.push_back(std::move(outputFormatFirst ? cardReader : outputFormat));
        families.push_back(std::make_unique<sim::TunnelFamily>(module));
        sim::ReaderSimulator reader(std::move(families));
        QCOMPARE(hex(reader.exchange(bytes(request))), reply);
    }

    void handlerGetsParametersAfterCode() {
        sim::ReaderSimulator reader(single(echoFamily()));
        QCOMPARE(hex(reader.exchange(bytes("AA 07 04 20 01 02 03 23 BB"))),
                 QByteArray("AA 07 04 00 01 02 03 03 BB"));
    }

    // The program reads at most 245 bytes: a longer reply is refused, not cut.
    void replyLimit_data() {
        QTest::addColumn<int>("dataBytes");
        QTest::addColumn<int>("replyBytes");
        QTest::addColumn<QByteArray>("statusAndCode");
        QTest::newRow("fits exactly") << 239 << 245 << QByteArray("00 5A");
        QTest::newRow("one byte too many") << 240 << 7 << QByteArray("01 10");
    }
    void replyLimit() {
        QFETCH(int, dataBytes);
        QFETCH(int, replyBytes);
        QFETCH(QByteArray, statusAndCode);
        Bytes payload(1 + dataBytes, 0x5A);
        payload[0] = 0x20;
        sim::ReaderSimulator reader(single(echoFamily()));
        const Bytes reply = reader.exchange(sim::HfFrame::build(0x00, payload));
        QCOMPARE(reply.size(), std::size_t(replyBytes));
        QCOMPARE(hex(Bytes(reply.begin() + 3, reply.begin() + 5)), statusAndCode);
    }

  private:
    static sim::ReaderSimulator tunnelReader(sim::UhfModule& module) {
        return sim::ReaderSimulator(single(std::make_unique<sim::TunnelFamily>(module)));
    }

    static Families single(std::unique_ptr<sim::SimFamily> family) {
        Families families;
        families.push_back(std::move(family));
        return families;
    }
};

QTEST_GUILESS_MAIN(ReaderSimulatorTest)
#include "reader_simulator_test.moc"
