#include "pages/page_checks.h"
#include "pages/uhf/hex_words_model.h"
#include "pages/uhf/inventory_page.h"
#include "pages/uhf/tag_dialog.h"
#include "sim/uhf_environment.h"
#include "support/modal_answers.h"
#include "support/module_replies.h"

#include <QComboBox>
#include <QMenu>
#include <QTableView>

namespace {

const QByteArray firstEpc = QByteArray::fromHex("E20047139020602107401234");
const QString firstTid = QStringLiteral("E28011052000000000000001");
const QString tagLine = QStringLiteral("标签 TID ") + firstTid + QStringLiteral("：");

// The module commands among the frames sent, as module frames (tunnel taken off).
QStringList moduleCommands(const QStringList& written, const QString& command) {
    QStringList frames;
    for (const QString& frame : written)
        if (frame.mid(12, 2) == command)
            frames << frame.mid(8, frame.size() - 12);
    return frames;
}

QString line(const QString& text) {
    return tagLine + text + QStringLiteral("   ") + FormFixture::time();
}

// The tag dialog on the usual first tag of the simulated field, chosen.
struct Rig {
    SimDevice device;
    FormFixture f{device};
    TagDialog dialog{f.form.context(), firstEpc};
    Rig() {
        dialog.identify();
        f.clearLog();
        device.written.clear();
    }
    QStringList sent(const QString& command) const {
        return moduleCommands(device.written, command);
    }
};

} // namespace

class TagDialogTest : public QObject {
    Q_OBJECT
  private slots:
    // Edits as "word=value"; the runs as "address:words", one per write.
    void onlyChangedWordsFormRuns_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<int>("maxWords");
        QTest::addColumn<QStringList>("runs");
        QTest::newRow("two runs") << QStringList{"1=AAAA", "2=bbbb", "5=1"} << 32
                                  << QStringList{"11:AAAABBBB", "15:0001"};
        QTest::newRow("edited back") << QStringList{"3=1234", "3=0000"} << 32 << QStringList{};
        QTest::newRow("cut at the limit")
            << QStringList{"0=1", "1=2", "2=3"} << 2 << QStringList{"10:00010002", "12:0003"};
        QTest::newRow("refused input")
            << QStringList{"0=G1", "1=12345", "2=", "3=ab cd"} << 32 << QStringList{"13:ABCD"};
    }
    void onlyChangedWordsFormRuns() {
        QFETCH(QStringList, edits);
        QFETCH(int, maxWords);
        QFETCH(QStringList, runs);
        HexWordsModel model;
        model.load(10, QByteArray(16, '\0'));
        for (const QString& edit : edits) {
            const int word = edit.section('=', 0, 0).toInt();
            const QModelIndex cell = model.index(word / 8, word % 8);
            model.setData(cell, edit.section('=', 1));
        }
        QStringList got;
        int changed = 0;
        for (const HexWordsModel::Run& run : model.changedRuns(maxWords)) {
            got << QString::number(run.wordAddress) + ':' + hex::fromBytes(run.data);
            changed += int(run.data.size() / 2);
        }
        QCOMPARE(got, runs);
        QCOMPARE(model.changedCount(), changed);
        for (int word = 0; word < 8; ++word)
            QCOMPARE(model.index(0, word).data(Qt::BackgroundRole).isValid(), model.changed(word));
    }

    void userWriteSendsOnlyTheChangedWordsAfterAConfirmation() {
        Rig rig;
        rig.dialog.UserReadClick();
        QCOMPARE(rig.f.lines(),
                 QStringList{line("读 User 区 第 0 字起 32 字：" +
                                  QStringList(32, QStringLiteral("0000")).join(' '))});
        HexWordsModel* words = rig.dialog.userWords();
        words->setData(words->index(0, 1), "1111");
        words->setData(words->index(0, 2), "2222");
        words->setData(words->index(0, 6), "3333");
        {
            ModalAnswers answers({"no"});
            rig.dialog.UserWriteClick();
            QCOMPARE(answers.asked.size(), 1);
            QVERIFY(answers.asked[0].contains("TID " + firstTid));
        }
        QVERIFY(rig.sent("49").isEmpty());
        QCOMPARE(words->changedCount(), 3);

        rig.f.clearLog();
        ModalAnswers answers({"yes"});
        rig.dialog.UserWriteClick();
        QCOMPARE(rig.sent("49"),
                 (QStringList{moduleFrame("00 49 00 0D 00000000 03 0001 0002 1111 2222"),
                              moduleFrame("00 49 00 0B 00000000 03 0006 0001 3333")}));
        QCOMPARE(rig.f.lines(), (QStringList{line("写 User 区 第 1 字起 2 字：1111 2222"),
                                             line("写 User 区 第 6 字起 1 字：3333")}));
        QCOMPARE(words->changedCount(), 0);
        sim::Bytes user;
        rig.device.reader.uhfModule().field().tag(0).read(sim::MemoryBank::User, 0, 8, 0, &user);
        QCOMPARE(hex::fromBytes(QByteArray(reinterpret_cast<const char*>(user.data()), 16)),
                 QStringLiteral("00001111222200000000000033330000"));
    }

    void passwordsGoToTheirReservedWords() {
        Rig rig;
        rig.dialog.findChild<QLineEdit*>("NewAccessPassword")->setText("1234 ABCD");
        rig.dialog.findChild<QLineEdit*>("NewKillPassword")->setText("0000FFFF");
        rig.dialog.AccessPasswordClick();
        rig.dialog.findChild<QLineEdit*>("TagAccessPassword")->setText("1234ABCD");
        rig.dialog.KillPasswordClick();
        QCOMPARE(rig.sent("49"),
                 (QStringList{moduleFrame("00 49 00 0D 00000000 00 0002 0002 1234ABCD"),
                              moduleFrame("00 49 00 0D 1234ABCD 00 0000 0002 0000FFFF")}));
        QCOMPARE(rig.f.lines(), (QStringList{line("访问密码已设置"), line("灭活密码已设置")}));
    }

    // Choices per area (kill, access, EPC, TID, User), the answers, the lock
    // payload sent ("" for none) and the number of boxes asked.
    void permanentLocksAreConfirmedTwice_data() {
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("payload");
        QTest::newRow("lock EPC") << QList<int>{0, 0, 2, 0, 0} << QStringList{"yes"} << "008020";
        QTest::newRow("lock refused") << QList<int>{0, 0, 2, 0, 0} << QStringList{"no"} << "";
        QTest::newRow("permalock EPC")
            << QList<int>{0, 0, 3, 0, 0} << QStringList{"yes", "yes"} << "00C030";
        QTest::newRow("permalock, second box refused")
            << QList<int>{0, 0, 3, 0, 0} << QStringList{"yes", "no"} << "";
        QTest::newRow("permaopen access")
            << QList<int>{0, 4, 0, 0, 0} << QStringList{"yes", "no"} << "";
    }
    void permanentLocksAreConfirmedTwice() {
        QFETCH(QList<int>, choices);
        QFETCH(QStringList, answers);
        QFETCH(QString, payload);
        Rig rig;
        static const char* const areas[] = {"LockKillPassword", "LockAccessPassword", "LockEpc",
                                            "LockTid", "LockUser"};
        for (int area = 0; area < 5; ++area)
            rig.dialog.findChild<QComboBox*>(areas[area])->setCurrentIndex(choices[area]);
        ModalAnswers modal(answers);
        rig.dialog.LockClick();
        QCOMPARE(modal.asked.size(), answers.size());
        QVERIFY(modal.asked[0].contains("TID " + firstTid));
        if (answers.size() > 1)
            QVERIFY(modal.asked[1].contains("无法撤销"));
        QCOMPARE(rig.sent("82"), payload.isEmpty()
                                     ? QStringList()
                                     : QStringList{moduleFrame("00 82 00 07 00000000 " + payload)});
    }

    void killWantsTheEpcTypedAndANonZeroPassword_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("error");
        QTest::newRow("zero password")
            << "00000000" << QStringList{} << "灭活密码为 00000000 的标签不能灭活，命令未发送。";
        QTest::newRow("not hex") << "1234567" << QStringList{}
                                 << "灭活密码须为 8 位十六进制数字（4 字节）：1234567";
        QTest::newRow("wrong EPC")
            << "12345678" << QStringList{"E200"}
            << "输入的 EPC 与标签的 EPC E20047139020602107401234 不符，未灭活。";
        QTest::newRow("cancelled") << "12345678" << QStringList{"cancel"} << "";
    }
    void killWantsTheEpcTypedAndANonZeroPassword() {
        QFETCH(QString, password);
        QFETCH(QStringList, answers);
        QFETCH(QString, error);
        Rig rig;
        rig.dialog.findChild<QLineEdit*>("KillPassword")->setText(password);
        ModalAnswers modal(answers);
        rig.dialog.KillClick();
        QCOMPARE(modal.asked.size(), answers.size());
        QCOMPARE(rig.f.errors, error.isEmpty() ? QStringList() : QStringList{error});
        QVERIFY(rig.device.written.isEmpty());
        QVERIFY(rig.f.lines().isEmpty());
    }

    void killSendsTheKillPasswordOnceConfirmed() {
        Rig rig;
        rig.dialog.findChild<QLineEdit*>("KillPassword")->setText("0000 FFFF");
        ModalAnswers modal({"e2004713 90206021 07401234"});
        rig.dialog.KillClick();
        QCOMPARE(rig.sent("65"), QStringList{moduleFrame("00 65 00 04 0000FFFF")});
    }

    void oneTagInTheFieldOrAPlainRefusal_data() {
        QTest::addColumn<int>("tags");
        QTest::addColumn<QString>("error");
        QTest::newRow("none") << 0 << "场内没有标签应答：请放一个标签在天线前。";
        QTest::newRow("one") << 1 << "";
        QTest::newRow("three") << 3
                               << "场内有 3 个标签：请只留一个，或在表中右键点选要操作的标签。";
    }
    void oneTagInTheFieldOrAPlainRefusal() {
        QFETCH(int, tags);
        QFETCH(QString, error);
        // Every tag read in a round answers it, not the strongest alone.
        qputenv("READERHID_SIM_ROUND", "every");
        SimDevice device;
        sim::setUpFromEnvironment(device.reader.uhfModule());
        qunsetenv("READERHID_SIM_ROUND");
        sim::TagField& field = device.reader.uhfModule().field();
        if (tags == 0)
            field.clear();
        for (int serial = 2; serial <= tags; ++serial)
            field.present(sim::Gen2Tag(sim::Bytes(12, std::uint8_t(serial)), serial));
        FormFixture f(device);
        f.click("OneTagButton");
        QCOMPARE(f.errors, error.isEmpty() ? QStringList() : QStringList{error});
        auto* dialog = f.form.findChild<TagDialog*>();
        QCOMPARE(dialog != nullptr, error.isEmpty());
        if (dialog)
            QCOMPARE(dialog->windowTitle(), "标签操作：TID " + firstTid);
    }

    // Asked for in the middle of a run, the dialog opens once the run has ended.
    void theTableMenuOpensTheDialogAfterTheRun() {
        SimDevice device;
        FormFixture f(device);
        f.form.show();
        f.form.pageControl()->setCurrentIndex(10);
        auto* table = f.find<QTableView>("TagTable");
        QTimer::singleShot(300, [&] {
            emit table->customContextMenuRequested(
                table->visualRect(table->model()->index(0, 0)).center());
        });
        QTimer::singleShot(400, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            menu->findChild<QAction*>("TagDialogAction")->trigger();
            menu->close();
        });
        f.click("InventoryRun");
        QTRY_VERIFY(f.form.findChild<TagDialog*>());
        QCOMPARE(f.form.findChild<TagDialog*>()->windowTitle(), "标签操作：TID " + firstTid);
        const QStringList lines = f.lines();
        QVERIFY(lines[lines.size() - 2].startsWith("盘点结束：1 个标签"));
        QCOMPARE(lines.last(), line("已选定（EPC E20047139020602107401234）：TID 类别 E2（EPC "
                                    "Gen2），厂商代码 801，型号 105"));
    }
};

QTEST_MAIN(TagDialogTest)
#include "tag_dialog_test.moc"
