#include "main_window.h"

#include "card_memory_window.h"
#include "device_monitor.h"
#include "journal_window.h"
#include "log_pane.h"
#include "page_control.h"
#include "profile_window.h"
#include "reader_dialog.h"
#include "rtf_writer.h"
#include "styles.h"
#include "version_window.h"

#include "pages/config/output_format_page.h"
#include "pages/config/prefix_suffix_page.h"
#include "pages/config/read_mode_page.h"
#include "pages/config/serial_page.h"
#include "pages/config/wifi_page.h"
#include "pages/hf/iso14443b_page.h"
#include "pages/hf/iso15693_page.h"
#include "pages/hf/s50_s70_page.h"
#include "pages/hf/system_commands_page.h"
#include "pages/hf/ultralight_page.h"
#include "pages/page_support.h"
#include "pages/uhf/epc_group.h"
#include "pages/uhf/inventory_page.h"
#include "protocol/reader_settings.h"
#include "settings/language.h"
#include "uhf/issuing_journal.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

TForm1::TForm1(ReaderDevice& device, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), device_(device), clock_(clock), log_(new LogPane),
      link_(device, *log_, clock),
      serialLink_(link_), context_{link_, [this](QCheckBox* box) { registerLoopBox(box); },
                                   [this](const QString& message) {
                                       QMessageBox::critical(this, QStringLiteral("RFID"), message);
                                   },
                                   [this] { Button72Click(); },
                                   [this] { return systemCommands_->interval(); }},
      pages_(new PageControl) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(tr("设置输出格式软件 V2.9"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(857, 647);

    auto* central = new QWidget;
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(2, 2, 2, 2);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setFixedSize(529, 561);
    row->addWidget(pages_, 0, Qt::AlignTop);

    auto* logGroup = new QGroupBox;
    logGroup->setObjectName(QStringLiteral("GroupBox2"));
    logGroup->setFixedSize(307, 564);
    auto* logLayout = new QVBoxLayout(logGroup);
    logLayout->setContentsMargins(5, 8, 5, 8);
    log_->setParent(logGroup);
    logLayout->addWidget(log_);
    row->addWidget(logGroup, 0, Qt::AlignTop);
    setCentralWidget(central);

    outputFormat_ = new OutputFormatPage(context_);
    systemCommands_ = new SystemCommandsPage(context_);
    serial_ = new SerialPage(context_, serialLink_);
    addPage(outputFormat_, tr("读卡器状态 输出格式"), true);
    addPage(systemCommands_, tr("系统命令"), false);
    auto* s50 = new S50S70Page(context_);
    connect(s50, &S50S70Page::addressSelected, this,
            [this](int item) { outputFormat_->setadd()->setCurrentIndex(item); });
    addPage(s50, QStringLiteral("S50/S70"), false);
    addPage(new UltralightPage(context_), QStringLiteral("Ultralight"), false);
    addPage(new Iso14443bPage(context_), QStringLiteral("ISO14443B"), false);
    addPage(new Iso15693Page(context_), QStringLiteral("ISO15693"), false);
    addPage(new PrefixSuffixPage(context_), tr("前后缀数据输入"), true);
    auto* readMode = new ReadModePage(context_);
    epcGroup_ = new EpcGroup(context_);
    readMode->addEpcGroup(epcGroup_);
    addPage(readMode, tr("配置读卡模式"), true);
    addPage(serial_, tr("串口功能"), true);
    addPage(new WifiPage(context_), tr("Wifi功能"), true);
    inventory_ = new InventoryPage(context_, clock_, serialLink_.Comm1());
    addPage(inventory_, tr("标签盘点"), true);

    context_.clearLog = [this] { MenuItem1Click(); };
    link_.setAddressSource([this] { return outputFormat_->address(); });
    link_.setDebugSource([this] { return serial_->debugLogging(); });
    connect(pages_, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

    createMenus();
    createStatusBar();
    readersettings::apply(device_);
    showReader();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    connect(timer_, &QTimer::timeout, this, &TForm1::Timer1Timer);
    timer_->start(1000);
    Timer1Timer();

    FormCreate();
}

TForm1::~TForm1() {
    untickLoopBoxes();
    link_.abortWaits();
}

void TForm1::addPage(QWidget* page, const QString& caption, bool tabShown) {
    const int index = pages_->addTab(page, caption);
    pages_->setTabVisible(index, tabShown);
}

void TForm1::FormCreate() {
    // The shown tabs share one row. Chinese captions are wider here than a
    // fixed share of the page control, so each tab takes its caption's width
    // and no caption is cut; the row is wider than the window, so the tab bar
    // scrolls (to the current tab, or with its arrows) to reach the last ones.
    pages_->tabBar()->setElideMode(Qt::ElideNone);
    pages_->tabBar()->setUsesScrollButtons(true);
    outputFormat_->setadd()->setCurrentIndex(0);
    pages_->setCurrentIndex(0);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                          std::function<void()> action) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this, std::move(action));
    };

    QMenu* system = bar->addMenu(tr("系统"));
    addItem(system, "ChooseReader", tr("选择读卡器..."), [this] { chooseReaderClick(); });
    addItem(system, "JournalOptIn", tr("自动发卡使用发卡记录"), [] {});
    QAction* optIn = system->actions().constLast();
    optIn->setCheckable(true);
    connect(optIn, &QAction::toggled, this, &TForm1::useJournal);
    addItem(system, "JournalView", tr("发卡记录..."), [this] { showJournal(); });
    QMenu* profiles = system->addMenu(tr("设置方案"));
    profiles->setObjectName(QStringLiteral("ProfileMenu"));
    addItem(profiles, "ProfileSave", tr("保存当前设置…"), [this] { saveProfile(); });
    addItem(profiles, "ProfileApply", tr("应用设置方案…"), [this] { applyProfile(); });
    addItem(system, "JournalStation", tr("发卡工位名称..."), [this] {
        bool ok = false;
        const QString name = QInputDialog::getText(
            this, tr("发卡工位"), tr("本工位在发卡记录中的名称（1 到 64 个字符）："),
            QLineEdit::Normal, journalStation(), &ok);
        if (ok)
            setJournalStation(name);
    });
    // Off at start; the choice is kept from one run to the next.
    addItem(system, "ShowGs1", tr("显示 GS1 编码"), [] {});
    QAction* gs1 = system->actions().constLast();
    gs1->setCheckable(true);
    connect(gs1, &QAction::toggled, this, [this](bool on) {
        QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
            .setValue(QStringLiteral("showGs1"), on);
        epcGroup_->showGs1(on);
        inventory_->showGs1(on);
    });
    gs1->setChecked(QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
                        .value(QStringLiteral("showGs1"), false)
                        .toBool());
    system->addSeparator();
    addItem(system, "N4", tr("退出"), [this] { N4Click(); });

    QMenu* looks = bar->addMenu(tr("风格选择"));
    const char* lookItems[] = {"N11", "N12", "N13", "N14", "N51", "N61"};
    for (int i = 0; i < 6; ++i)
        addItem(looks, lookItems[i], tr("风格%1").arg(i + 1), [i] { styles::applyStored(i); });

    // The HF pages have no tab: this menu makes any page current, and sets the
    // working state of the serial page's three radio buttons.
    QMenu* pageMenu = bar->addMenu(tr("页面选择"));
    pageMenu->setObjectName(QStringLiteral("PageMenu"));
    const char* pageItems[] = {"COM1", "N10", "S50S701", "Ultralight1", "ISO14443B1", "ISO156931"};
    for (int index = 0; index < 6; ++index)
        addItem(pageMenu, pageItems[index], pages_->tabText(index),
                [this, index] { pages_->setCurrentIndex(index); });
    pageMenu->addSeparator();
    const struct {
        const char* item;
        const char* radio;
    } stateItems[] = {{"N6", "RadioButton3"}, {"N7", "RadioButton4"}, {"N8", "RadioButton19"}};
    auto* states = new QActionGroup(pageMenu);
    for (const auto& state : stateItems) {
        auto* radio = serial_->findChild<QRadioButton*>(QLatin1String(state.radio));
        addItem(pageMenu, state.item, radio->text(), [radio] { radio->setChecked(true); });
        QAction* item = pageMenu->actions().constLast();
        item->setCheckable(true);
        states->addAction(item);
        // The menu shows the state the radio buttons are in when it opens.
        connect(pageMenu, &QMenu::aboutToShow, item,
                [item, radio] { item->setChecked(radio->isChecked()); });
    }

    // Named in both languages, and each language in its own, so that an
    // operator who reads only one finds the way back.
    QMenu* languageMenu = bar->addMenu(QStringLiteral("语言 / Language"));
    languageMenu->setObjectName(QStringLiteral("LanguageMenu"));
    struct Choice {
        QByteArray item;
        QString code;
        QString caption;
    };
    QList<Choice> choices;
    for (const language::Language& known : language::languages())
        choices << Choice{"Language_" + QByteArray(known.code), QLatin1String(known.code),
                          QString::fromUtf8(known.name)};
    choices << Choice{"LanguageSystem", QString(), tr("跟随系统")};
    auto* languages = new QActionGroup(languageMenu);
    const QString saved = savedLanguage();
    for (const Choice& choice : choices) {
        const QString code = choice.code;
        addItem(languageMenu, choice.item.constData(), choice.caption,
                [this, code, caption = choice.caption] { chooseLanguage(code, caption); });
        QAction* item = languageMenu->actions().constLast();
        item->setCheckable(true);
        item->setChecked(code == saved);
        languages->addAction(item);
    }

    QMenu* about = bar->addMenu(tr("关于"));
    addItem(about, "N5", tr("版本更新记录"), [this] { N5Click(); });

    popup_ = new QMenu(log_);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    addItem(popup_, "MenuItem1", tr("清空"), [this] { MenuItem1Click(); });
    addItem(popup_, "MenuItem2", tr("保存"), [this] { MenuItem2Click(); });
    popup_->addSeparator();
    addItem(popup_, "N15", tr("撤消"), [this] { log_->undo(); });
    addItem(popup_, "N20", tr("全选"), [this] { log_->selectAll(); });
    popup_->addSeparator();
    addItem(popup_, "N17", tr("剪切"), [this] { log_->cut(); });
    addItem(popup_, "N18", tr("复制"), [this] { log_->copy(); });
    addItem(popup_, "N19", tr("粘贴..."), [this] { log_->paste(); });
    log_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(log_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(log_->mapToGlobal(at)); });
}

void TForm1::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const struct {
        int width;
        const char* text;
    } panels[] = {{150, "  RFID"}, {30, ""}, {400, "RFID"}, {200, ""}};
    for (const auto& panel : panels) {
        auto* label = new QLabel(QString::fromUtf8(panel.text));
        label->setObjectName(QStringLiteral("Panel%1").arg(panels_.size()));
        label->setFixedWidth(panel.width);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addWidget(label);
        panels_ << label;
    }
    // The station the journal records for, while automatic issuing uses it.
    auto* station = new QLabel(bar);
    station->setObjectName(QStringLiteral("JournalStationLabel"));
    station->hide();
    bar->addPermanentWidget(station);
}

// Panel 2 names the reader: the simulated one (with its serial when there are
// several), the one in use, or none found.
// A library that cannot list its readers leaves the panel as it was.
void TForm1::showReader() {
    QString reader = readerInUseText(device_);
    // Several simulated readers look alike: the serial says which one answers.
    if (device_.simulated() && device_.listsReaders()) {
        const QList<ReaderInfo> readers = device_.readers();
        for (const ReaderInfo& one : readers)
            if (one.inUse && readers.size() > 1)
                reader = tr("%1 序列号 %2").arg(reader, one.serial);
    }
    if (!reader.isEmpty())
        panels_[2]->setText(QStringLiteral("RFID   ") + reader);
}

void TForm1::watch(DeviceMonitor& monitor) {
    connect(&monitor, &DeviceMonitor::readersChanged, this, &TForm1::readersChanged);
    connect(&monitor, &DeviceMonitor::serialPortsChanged, serial_, &SerialPage::portsChanged);
    connect(&monitor, &DeviceMonitor::serialPortsChanged, inventory_, &InventoryPage::listPorts);
}

void TForm1::readersChanged() {
    if (!device_.simulated() && device_.listsReaders())
        device_.chooseReader(readersettings::savedChoice());
    showReader();
}

void TForm1::chooseReaderClick() {
    ReaderDialog dialog(device_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ReaderInfo chosen = dialog.chosen();
    if (chosen.vendorId == 0 && chosen.productId == 0)
        return;
    readersettings::saveChoice(chosen);
    device_.chooseReader(chosen);
    showReader();
}

QString TForm1::panelText(int panel) const {
    return panels_.value(panel) ? panels_[panel]->text() : QString();
}

void TForm1::Timer1Timer() {
    panels_[3]->setText(
        QLocale::c().toString(clock_.now(), QStringLiteral("   yyyy.MM.dd   hh:mm:ss AP   ")));
}

void TForm1::registerLoopBox(QCheckBox* box) {
    loopBoxes_ << box;
}

void TForm1::untickLoopBoxes() {
    for (const QPointer<QCheckBox>& box : loopBoxes_)
        if (box)
            box->setChecked(false);
}

void TForm1::PageControl1Change() {
    // CheckBox1 to CheckBox11 in this order, then the inventory; the boxes of
    // automatic issuing and the like keep running.
    QStringList names;
    for (int n = 1; n <= 11; ++n)
        names << QStringLiteral("CheckBox%1").arg(n);
    names << QStringLiteral("InventoryRun");
    for (const QString& name : names)
        for (const QPointer<QCheckBox>& box : loopBoxes_)
            if (box && box->objectName() == name)
                box->setChecked(false);
    serial_->refreshPorts();
    if (pages_->currentWidget() == inventory_)
        inventory_->pageOpened();
}

void TForm1::createSecondaryWindows() {
    form2_ = new TForm2(this);
    form3_ = new TForm3(this);
}

template <class Window> static void showFresh(QPointer<Window>& window, QWidget* owner) {
    if (!window)
        window = new Window(owner);
    window->exec();
    delete window;
}

TForm2* TForm1::versionWindow() const {
    return form2_;
}

TForm3* TForm1::cardMemoryWindow() const {
    return form3_;
}

void TForm1::N5Click() {
    showFresh(form2_, this);
}

void TForm1::Button72Click() {
    showFresh(form3_, this);
}

void TForm1::N4Click() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    untickLoopBoxes();
    link_.abortWaits();
    serialLink_.Comm1().ClosePort();
    // The application ends with its last window; the loops unwind first.
    event->accept();
}

void TForm1::MenuItem1Click() {
    log_->clear();
}

void TForm1::MenuItem2Click() {
    const QString fileName = QFileDialog::getSaveFileName(this, tr("保存接收数据！"), QString(),
                                                          tr("文本文件(.txt) (*.txt)"));
    if (!fileName.isEmpty())
        saveLog(fileName);
}

bool TForm1::saveLog(const QString& fileName) {
    return saveFile(context_, fileName, linesToRtf(log_->lines()));
}

void TForm1::useJournal(bool on) {
    QAction* optIn = findChild<QAction*>(QStringLiteral("JournalOptIn"));
    // The journal may not change under an issuing attempt.
    if (epcGroup_->issuing()) {
        const QSignalBlocker blocker(optIn);
        optIn->setChecked(!on);
        context_.showError(tr("自动发卡进行中，请先停止发卡"));
        return;
    }
    auto* stationLabel = findChild<QLabel*>(QStringLiteral("JournalStationLabel"));
    epcGroup_->useJournal(nullptr);
    journal_.reset();
    stationLabel->hide();
    if (!on)
        return;
    // The station is held while the journal is in use: a second program
    // under the same name would settle this one's records.
    auto journal = std::make_unique<IssuingJournal>();
    if (!journal->open(IssuingJournal::configuredAddress(QString())) ||
        journal->hold(journalStation()) != IssuingJournal::Status::Ok) {
        context_.showError(journal->errorText());
        const QSignalBlocker blocker(optIn);
        optIn->setChecked(false);
        return;
    }
    journal_ = std::move(journal);
    epcGroup_->useJournal(journal_.get());
    link_.log(tr("自动发卡使用发卡记录 %1，工位 %2   ")
                  .arg(journal_->displayAddress(), journal_->station()) +
              link_.time());
    stationLabel->setText(tr("发卡工位：%1").arg(journal_->station()));
    stationLabel->show();
}

QString TForm1::savedLanguage() {
    const QString code = QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
                             .value(QStringLiteral("language"))
                             .toString();
    for (const language::Language& known : language::languages())
        if (code == QLatin1String(known.code))
            return code;
    return QString();
}

void TForm1::chooseLanguage(const QString& code, const QString& caption) {
    QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
        .setValue(QStringLiteral("language"), code);
    // Every caption is made once, when the window is built: the new language
    // comes with the next start, and this line says so in the current one.
    link_.log(tr("界面语言改为“%1”，重新启动程序后生效   ").arg(caption) + link_.time());
}

QString TForm1::journalStation() const {
    return QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
        .value(QStringLiteral("journal/station"), IssuingJournal::defaultStation())
        .toString();
}

bool TForm1::setJournalStation(const QString& name) {
    if (const QString problem = IssuingJournal::stationProblem(name); !problem.isEmpty()) {
        context_.showError(problem);
        return false;
    }
    if (epcGroup_->issuing()) {
        context_.showError(tr("自动发卡进行中，请先停止发卡"));
        return false;
    }
    QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
        .setValue(QStringLiteral("journal/station"), name);
    // The journal in use changes over to the new station.
    if (journal_)
        useJournal(true);
    return true;
}

IssuingJournal* TForm1::journalOrOwn(IssuingJournal& own, bool readOnly) {
    if (journal_)
        return journal_.get();
    if (!own.open(IssuingJournal::configuredAddress(QString()),
                  readOnly ? IssuingJournal::Access::Read : IssuingJournal::Access::Issue)) {
        context_.showError(own.errorText());
        return nullptr;
    }
    return &own;
}

void TForm1::showJournal() {
    // Only viewed: a missing journal is not created.
    IssuingJournal own;
    if (IssuingJournal* journal = journalOrOwn(own, true)) {
        JournalWindow window(*journal, context_.showError, this);
        window.setLog([this](const QString& line) { link_.log(line + link_.time()); });
        window.exec();
    }
}

void TForm1::saveProfile() {
    QString fileName =
        QFileDialog::getSaveFileName(this, tr("保存设置方案"), QString(), tr("设置方案 (*.ini)"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".ini");
    const QMap<QString, QString> values = profileValuesOf(this);
    const QString text = settings::Profile::text(values);
    // What the controls hold must make a profile that can be applied.
    QStringList problems;
    if (!settings::Profile::parse(text.toUtf8(), tr("当前设置"), &problems)) {
        context_.showError(problems.join(QLatin1Char('\n')));
        return;
    }
    QString error;
    if (!settings::Profile::save(
            fileName, text, !values.value(QStringLiteral("wifi.password")).isEmpty(), &error)) {
        context_.showError(error);
        return;
    }
    link_.log(tr("当前设置已保存为设置方案 %1   ").arg(fileName) + link_.time());
}

void TForm1::applyProfile() {
    const QString fileName = QFileDialog::getOpenFileName(this, tr("应用设置方案"), QString(),
                                                          tr("设置方案 (*.ini);;所有文件 (*)"));
    if (!fileName.isEmpty())
        applyProfileFile(fileName);
}

void TForm1::applyProfileFile(const QString& fileName) {
    QStringList problems;
    const std::optional<settings::Profile> profile = settings::Profile::load(fileName, &problems);
    if (!profile) {
        context_.showError(problems.join(QLatin1Char('\n')));
        return;
    }
    // Every application is recorded.
    IssuingJournal own;
    IssuingJournal* journal = journalOrOwn(own, false);
    if (!journal)
        return;
    ProfileWindow window(link_, journal, *profile, this);
    window.exec();
    showReader();
}
