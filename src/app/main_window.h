#pragma once

#include "pages/page_context.h"
#include "protocol/clock.h"
#include "protocol/reader_link.h"
#include "serial/serial_link.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class DeviceMonitor;
class EpcGroup;
class InventoryPage;
class IssuingJournal;
class LogPane;
class QCheckBox;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class TForm2;
class TForm3;
class OutputFormatPage;
class SerialPage;
class SystemCommandsPage;

// The main window: the ten pages, the log pane, the status bar clock, the
// menus and the secondary windows. It owns the reader link and wires what
// crosses pages.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    TForm1(ReaderDevice& device, const Clock& clock, QWidget* parent = nullptr);
    ~TForm1() override;

    ReaderLink& link() { return link_; }
    // Comm1, SerialReplyText and Send232HEX.
    SerialLink& serialLink() { return serialLink_; }
    PageContext& context() { return context_; }
    LogPane* logPane() const { return log_; }
    QTabWidget* pageControl() const { return pages_; }
    QString panelText(int panel) const;

    // Continuous-mode boxes that a page change or closing the window unticks.
    void registerLoopBox(QCheckBox* box);
    void untickLoopBoxes();
    // After the operator switched pages: stops the continuous modes and
    // rebuilds the serial port list.
    void PageControl1Change();

    // The secondary windows exist hidden after start; each request shows a
    // fresh one modally and destroys it when it closes.
    void createSecondaryWindows();
    void N5Click();
    void Button72Click();
    TForm2* versionWindow() const;
    TForm3* cardMemoryWindow() const;

    // Follows readers and serial ports coming and going.
    void watch(DeviceMonitor& monitor);
    // A reader came or went: the chosen one is taken again, and the status
    // bar shows the reader in use.
    void readersChanged();
    // "选择读卡器...": the dialog, then the choice kept for later runs.
    void chooseReaderClick();

    void Timer1Timer();
    void N4Click();
    void MenuItem1Click();
    void MenuItem2Click();
    // Automatic issuing through the issuing journal (off at start), and the
    // journal's last records.
    void useJournal(bool on);
    // The station name automatic issuing records in the journal (kept in the
    // settings; the host name at first). A new name takes effect at once.
    QString journalStation() const;
    bool setJournalStation(const QString& name);
    void showJournal();
    // 语言 / Language: "zh", "en", or empty to follow the locale; kept in the
    // settings and taken at the next start.
    static QString savedLanguage();
    void chooseLanguage(const QString& code, const QString& caption);
    // 系统 → 设置方案: the pages' current values to a profile file; a profile
    // file applied to the reader (or every reader).
    void saveProfile();
    void applyProfile();
    void applyProfileFile(const QString& fileName);
    // Writes the log pane to a file as RTF; false (and the error box) on failure.
    bool saveLog(const QString& fileName);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void createMenus();
    void createStatusBar();
    void addPage(QWidget* page, const QString& caption, bool tabShown);
    void showReader();
    // The journal in use, else the one every window action opens ($RFID_JOURNAL,
    // else the default file) opened into own; null, the error shown, when it
    // cannot be opened.
    IssuingJournal* journalOrOwn(IssuingJournal& own, bool readOnly);

    ReaderDevice& device_;
    const Clock& clock_;
    LogPane* log_;
    ReaderLink link_;
    SerialLink serialLink_;
    PageContext context_;
    QTabWidget* pages_;
    QMenu* popup_;
    QTimer* timer_;
    QList<QLabel*> panels_;
    QList<QPointer<QCheckBox>> loopBoxes_;
    QPointer<TForm2> form2_;
    QPointer<TForm3> form3_;
    OutputFormatPage* outputFormat_;
    SystemCommandsPage* systemCommands_;
    SerialPage* serial_;
    EpcGroup* epcGroup_;
    InventoryPage* inventory_;
    std::unique_ptr<IssuingJournal> journal_;
};
