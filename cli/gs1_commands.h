#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

class CommandParser;
class QCommandLineParser;

// epc decode HEX: what a GS1 EPC holds, offline.
int epcDecodeCommand(const QStringList& arguments);
// epc encode URI|ELEMENT-STRING: the EPC hex of a GS1 identity, offline.
int epcEncodeCommand(const QStringList& arguments);

// The fields of a GS1 EPC for a JSON object: empty for any other EPC.
QJsonObject gs1Fields(const QString& epc);
// " uri TAG-URI" for a GS1 EPC, to follow it on an output line; empty otherwise.
QString gs1Suffix(const QString& epc);

// --company-prefix-length and --filter, for a --start given as an element string.
void addGs1StartOptions(QCommandLineParser& parser);
// Whether --start is a tag URI or an element string rather than hex.
bool isGs1Start(const QString& start);
// The hex series a GS1 --start and its decimal --step count: the start, the
// step placed in the scheme's serial field, and the series' last EPC. -1 when
// good, else the usage error's exit code after its message.
int gs1Series(const CommandParser& command, QString* start, QString* step, QString* last);
