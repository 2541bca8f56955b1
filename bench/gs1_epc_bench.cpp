// GS1 EPC decodes and encodes per second of CPU time (the machine may be
// shared): a decode with its tag URI, and an encode from a tag URI to hex.
#include "uhf/gs1_epc.h"

#include <QStringList>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

} // namespace

int main() {
    const QStringList epcs = {
        QStringLiteral("3074257BF7194E4000001A85"), QStringLiteral("3154257BF4499602D2000000"),
        QStringLiteral("3034F4E4E478900000000001"), QStringLiteral("3414257BF7194E4000001A85")};
    const QString uri = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789");
    constexpr int rounds = 500000;
    QString why;
    qint64 kept = 0; // keeps the compiler from dropping the work

    double start = cpuSeconds();
    for (int i = 0; i < rounds; ++i)
        kept += gs1::decode(epcs[i % epcs.size()], &why)->serial.size();
    const double fieldsSeconds = cpuSeconds() - start;

    start = cpuSeconds();
    for (int i = 0; i < rounds; ++i)
        kept += gs1::decode(epcs[i % epcs.size()], &why)->tagUri().size();
    const double decodeSeconds = cpuSeconds() - start;

    start = cpuSeconds();
    for (int i = 0; i < rounds; ++i)
        kept += gs1::encode(*gs1::fromTagUri(uri, &why), &why)->size();
    const double encodeSeconds = cpuSeconds() - start;

    std::printf("decode to fields:    %.2f M/s (%.0f ns each)\n", rounds / fieldsSeconds / 1e6,
                fieldsSeconds / rounds * 1e9);
    std::printf("decode with tag URI: %.2f M/s (%.0f ns each)\n", rounds / decodeSeconds / 1e6,
                decodeSeconds / rounds * 1e9);
    std::printf("encode from tag URI: %.2f M/s (%.0f ns each)\n", rounds / encodeSeconds / 1e6,
                encodeSeconds / rounds * 1e9);
    return kept > 0 ? 0 : 1;
}
