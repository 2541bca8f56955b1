#pragma once

#include "pages/page_context.h"
#include "uhf/hid_inventory.h"
#include "uhf/inventory.h"
#include "uhf/module_settings.h"
#include "uhf/serial_inventory_port.h"

#include <QWidget>

class ModuleSettingsGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;
class ReadRatePlot;
class TagTableModel;

// Page "标签盘点": a live inventory of the tags in the field (table, totals,
// the last minute's read rate and the selected tag's RSSI) and the module's
// RF settings. Reads are taken in as data as fast as they come; the table,
// totals and plot are repainted at a steady rate. Nothing runs until the
// operator starts it. The run goes over USB HID (single rounds through the
// tunnel) or over a serial port of its own (a multiple inventory streaming
// notices), optionally filtered by the start of the EPC.
class InventoryPage : public QWidget {
    Q_OBJECT
  public:
    // The repaint interval while an inventory runs.
    static constexpr int repaintMs = 100;

    // The links a run can take, in the order of LinkCombo.
    enum class Link { Hid, Serial };

    // terminal is the serial page's port: the inventory does not take a port it holds.
    InventoryPage(PageContext& context, const Clock& clock, const TComm& terminal,
                  QWidget* parent = nullptr);
    ~InventoryPage() override;

    // The page became the current one: the RF settings are read and the
    // serial ports listed.
    void pageOpened();
    void listPorts();
    // With the GS1 view on, the table shows each EPC's tag URI.
    void showGs1(bool on);

    void InventoryRunClick(); // start or stop
    void CopyClick();         // the selected rows (all without a selection) to the clipboard
    void CsvClick();          // the table to a CSV file
    // The CSV export after its dialog; false (and the error box) on failure.
    bool saveCsv(const QString& fileName);
    // The tag dialog for the tag of this EPC; a run going is stopped first and
    // the dialog opens once it has ended.
    void openTagDialog(const QByteArray& epc);
    // The tag dialog for the one tag in the field, found by one inventory round.
    void OneTagClick();

    const uhf::InventoryStatistics& statistics() const { return statistics_; }
    quint64 rounds() const { return quint64(inventory_.rounds()); }

  private:
    // The operator's mask as compact hex, empty for none; false (and the
    // error box) when it is not 1 to 31 whole bytes of hex.
    bool readMask(QString* mask);
    void runHid(const QString& mask);
    void runSerial(const QString& mask);
    void endSerialRun();
    void showFilter(const QString& mask);
    void logLine(const QString& text);
    void repaintView();
    void showTotals();
    void showSelectedTag();
    void showSession(const QueryParameters& query);
    void showTagMenu(const QPoint& position);

    PageContext& context_;
    uhf::InventoryStatistics statistics_;
    HidInventory inventory_;
    SerialInventoryPort serialInventory_;
    const TComm& terminal_;
    // Whether the module answered the stop of the last serial run.
    bool stopAnswered_ = true;
    TagTableModel* model_;
    QCheckBox* run_;
    QComboBox* link_;
    QComboBox* ports_;
    QComboBox* baudRates_;
    QLineEdit* mask_;
    QLabel* filter_;
    QPushButton* oneTag_;
    QSpinBox* greyAfter_;
    QLabel* totals_;
    QLabel* session_;
    QTableView* table_;
    ReadRatePlot* plot_;
    ModuleSettingsGroup* settings_;
    QTimer* repaint_;
    QByteArray selectedEpc_;
    QByteArray dialogEpc_; // the tag whose dialog opens when the run has ended
    quint64 shownRevision_ = ~quint64(0);
};
