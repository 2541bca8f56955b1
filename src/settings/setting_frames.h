#pragma once

#include "protocol/reader_link.h"

#include <QString>
#include <QStringList>

// The reader settings of the configuration pages, below the widgets: the
// payload each setting sends and the texts its reply is judged with. The pages
// bind them to their controls, profiles to their entries, so that every frame
// is built in one place. The tables' Chinese texts are marked for translation
// in the context "settings": a page shows a caption or label of them as
// QCoreApplication::translate("settings", text); the reply texts come
// translated already.
namespace settings {

// Every setting command is answered at once.
constexpr int kSettingWait = 300;

// Output format. The format radio buttons in the order they are tested; code
// is the text the page sends, description what a read-back code is logged as.
struct FormatChoice {
    const char* radio;
    const char* caption;
    const char* code;
    const char* description;
};
extern const FormatChoice kFormats[17];
// The custom-length choice: "卡号16进制输出" with its byte count.
inline constexpr char kCustomFormatRadio[] = "RadioButton35";

struct OutputFormat {
    QString code = QStringLiteral("0F");
    bool semicolon = false;
    bool questionMark = false;
    bool comma = false;
    bool carriageReturn = true;
    bool largeBuzzer = true;
    bool rssi = false;
};
// The custom-length code for a byte count 0..127 in decimal; "00" means the
// whole number forward, code 01. Other text raises InputError.
QString customFormatCode(const QString& byteCount);
QString outputFormatPayload(const OutputFormat& format);
ReplyTexts outputFormatTexts();
// What a read-back format code is logged as; empty for text that is no code.
QString formatDescription(const QString& code);
// The read-format command, and the lines its reply is logged with after the
// success line.
inline const QString kReadFormatPayload = QStringLiteral("83");
QStringList formatReadBackLines(const QString& reply);
// The version command, and the version text of its reply (its hex digits
// when they are not text).
inline const QString kVersionPayload = QStringLiteral("c0");
QString versionText(const QString& reply);

// UHF machine parameters set from one edit: decimal text, or hex text read
// with "$" before it. min..max is the range the row's label states.
struct MachineParameter {
    const char* key;
    const char* label;
    const char* range;
    const char* edit;
    const char* text;
    bool hex;
    const char* button;
    const char* code;
    const char* success;
    const char* failure;
    int min;
    int max;
};
// In the order of the page's rows; the interfaces and baud rate rows come
// after the first kParametersBeforeInterfaces.
extern const MachineParameter kMachineParameters[9];
constexpr int kParametersBeforeInterfaces = 3;
// The page's reading of the text (0..255, InputError otherwise).
QString machineParameterPayload(const MachineParameter& parameter, const QString& text);
ReplyTexts machineParameterTexts(const MachineParameter& parameter);

// The output interfaces: the on button of each pair gives its flag.
struct InterfacePair {
    const char* key;
    const char* on;
    const char* onCaption;
    const char* off;
    const char* offCaption;
};
extern const InterfacePair kInterfaces[3];
QString interfacesPayload(const bool on[3]);
ReplyTexts interfacesTexts();

// A rate the reader does not know adds no code byte; the reader refuses the
// command then.
QString baudRatePayload(const QString& rate);
ReplyTexts baudRateTexts();

// Prefix or suffix: four edits of one byte each, and their button.
struct Affix {
    const char* key;
    const char* label;
    const char* edits[4];
    const char* texts[4];
    const char* button;
    const char* caption;
    const char* code;
    const char* success;
    const char* failure;
};
extern const Affix kAffixes[2];
// An empty text adds nothing; with all four empty the reader is left with no
// prefix (suffix) at all.
QString affixPayload(const Affix& affix, const QStringList& texts);
ReplyTexts affixTexts(const Affix& affix);

// The read modes: radio button, caption, payload, and the name the outcome
// lines give the mode. The memory-area mode (the last) has no name; its
// parameters follow its payload.
struct ReadMode {
    const char* key;
    const char* radio;
    const char* caption;
    const char* payload;
    const char* name;
};
extern const ReadMode kReadModes[5];
constexpr int kMemoryAreaMode = 4;
// Memory area of the memory-area mode: bank, access password, first word, words.
struct AreaField {
    const char* key;
    const char* label;
    const char* edit;
    const char* text;
    int width;
};
extern const AreaField kAreaFields[4];
QString readModePayload(int mode, const QStringList& areaTexts);
ReplyTexts readModeTexts(int mode);

QString relayPayload(bool on);
ReplyTexts relayTexts(bool on);

// Joining a WiFi network: name and password as GBK bytes. A comma in the name,
// or a character GBK cannot hold, raises InputError.
QString wifiJoinPayload(const QString& name, const QString& password);
ReplyTexts wifiJoinTexts();

} // namespace settings
