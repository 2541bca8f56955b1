#pragma once

#include "pages/page_context.h"
#include "serial/port_discovery.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SerialLink;
class TerminalMemo;

// Page TabSheet9: the serial port choice, the reader's USB personality and
// read mode, the hex terminal, and the debug switch that logs every USB HID
// exchange.
class SerialPage : public QWidget {
    Q_OBJECT
  public:
    // Largest file the terminal loads.
    static constexpr qint64 kLoadLimit = 1024 * 1024;

    SerialPage(PageContext& context, SerialLink& serial, QWidget* parent = nullptr);

    bool debugLogging() const;

    // After a page change: the port list is rebuilt and Comm1 pointed at the
    // first free port, at 9600 baud. The port is neither opened nor closed.
    void refreshPorts();
    // After a serial device came or went: the list is rebuilt, and the port
    // chosen stays chosen while it is there; otherwise as after a page change,
    // the baud rate left alone.
    void portsChanged();
    void GetCom(); // lists the serial ports found
    const QString& PortName() const { return portName_; }

    void ComboBox21Change(); // another port: reopen on it
    void ComboBox22Change(); // another baud rate: reopen at it
    void Button73Click();    // open the port
    void Button74Click();    // close the port

    void Button76Click(); // switch the reader to USB HID (over the serial port)
    void Button71Click(); // switch the reader to its USB virtual serial port
    void Button75Click(); // set the read mode (over the serial port)

    void Button3Click();   // send the terminal's bytes
    void CheckBox3Click(); // send them again and again
    void Button6Click();   // load the terminal from a file
    void Button5Click();   // save the terminal to a file
    void Button7Click();   // empty the terminal
    // The file work of "载入数据" and "另存为" after their dialogs; false (and
    // the error box) when refused, the terminal text then unchanged.
    bool loadTerminalText(const QString& fileName);
    bool saveTerminalText(const QString& fileName);

  private:
    QGroupBox* createPortGroup();
    // Points Comm1 and the list at the first port found, or at none.
    void selectFirstPort();
    // True when the open port is in the list (added where discovery left it out).
    bool listOpenPort();
    bool portGone(const QString& port);
    void logSkippedPorts();
    void portLost();
    QGroupBox* createLinkModeGroup();
    QGroupBox* createTerminalGroup();
    QGroupBox* createStateGroup();
    // Writes a UHF module frame to the serial port and waits for the reader's
    // answer: the bytes received, or empty without one.
    QString serialExchange(const QString& frame, bool logFrame);
    int checkedReadMode() const;
    QString memoryAreaFrame() const;
    QString readModeSuccessName(int code) const;
    void log(const QString& text) { context_.link.log(text); }

    PageContext& context_;
    SerialLink& serial_;
    QString portName_ = QStringLiteral("none");
    QList<SkippedPort> skipped_; // by the last GetCom

    QComboBox* ports_;
    QComboBox* baudRates_;
    QPushButton* open_;
    QPushButton* close_;
    QList<QRadioButton*> readModes_;
    QLineEdit* bank_;
    QLineEdit* password_;
    QLineEdit* address_;
    QLineEdit* length_;
    TerminalMemo* memo_;
    QRadioButton* serialTransport_;
    QLineEdit* period_;
    QCheckBox* autoSend_;
    QRadioButton* debug_;
};
