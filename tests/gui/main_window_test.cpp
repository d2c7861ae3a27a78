// The main window: start state, selection, export, execute, the keys that end it, the second
// instance and the program-folder question at start-up.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/messages.h"
#include "gui_fixture.h"
#include "gui_test.h"
#include "support/card_emulator_process.h"

using namespace gui_testing;
using core::idRadioRandom;

namespace {
QString fileName(app::CVKRandomDlg& window) {
    return static_cast<QLabel*>(window.control(core::idFileNameText))->text();
}
}  // namespace

void GuiTest::startState() {
    RobotFixture robot;
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();

    QCOMPARE(runner.seen(), QStringList());
    QCOMPARE(window.windowTitle(), QStringLiteral("Veskランダムエディター"));
    QListWidget* list = listOf(window);
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text();
    QCOMPARE(lines, (QStringList{"あいさつ", "ダンス", "歩き方"}));  // file order, type 1 only
    QCOMPARE(list->item(1)->data(Qt::UserRole).toByteArray(), cp932("ダンス"));
    QVERIFY(list->selectedItems().isEmpty());

    QVERIFY(!radioOf(window, idRadioRandom)->isHidden());
    for (int id = idRadioRandom + 1; id <= core::idRadioLast; ++id)
        QVERIFY(radioOf(window, id)->isHidden());
    QCOMPARE(checkedRadio(window), -1);
    QVERIFY(!window.control(core::idExportButton)->isEnabled());
    QVERIFY(!window.control(core::idExecuteButton)->isEnabled());
    QVERIFY(window.control(core::idSettingsButton)->isEnabled());
    QCOMPARE(fileName(window), QString());
    // The first control with a tab stop has the focus; no button is a default button.
    QCOMPARE(window.focusWidget(), window.control(core::idCloseButton));
    for (auto* button : window.findChildren<QPushButton*>()) QVERIFY(!button->autoDefault());
}

void GuiTest::selectingEntriesShowsTheirChoices() {
    RobotFixture robot;
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();

    clickLine(window, 0);  // five labels, random
    const QStringList labels{"おはよう", "こんにちは", "こんばんは", "やあ", "どうも"};
    for (int k = 1; k <= 5; ++k)
        QCOMPARE(radioOf(window, idRadioRandom + k)->text(), labels[k - 1]);
    QVERIFY(!radioOf(window, idRadioRandom + 5)->isHidden());
    QVERIFY(radioOf(window, idRadioRandom + 6)->isHidden());
    QCOMPARE(checkedRadio(window), int(idRadioRandom));
    QCOMPARE(fileName(window), QStringLiteral("STARTUP.XML"));
    QVERIFY(window.control(core::idExportButton)->isEnabled());
    QVERIFY(!window.control(core::idExecuteButton)->isEnabled());  // SD card

    clickLine(window, 1);  // two labels, fixed choice 2
    QVERIFY(!radioOf(window, idRadioRandom + 2)->isHidden());
    for (int k = 3; k <= 5; ++k) QVERIFY(radioOf(window, idRadioRandom + k)->isHidden());
    QCOMPARE(radioOf(window, idRadioRandom + 2)->text(), QStringLiteral("左"));
    QCOMPARE(checkedRadio(window), idRadioRandom + 2);
    QCOMPARE(fileName(window), QStringLiteral("ACT\\DANCE.XML"));

    QTest::keyClick(listOf(window), Qt::Key_Down);  // keys select as clicks do
    QCOMPARE(fileName(window), QStringLiteral("WALK.XML"));
    QCOMPARE(checkedRadio(window), int(idRadioRandom));
    QCOMPARE(runner.seen(), QStringList());
}

void GuiTest::exportWritesTheCheckedChoice() {
    RobotFixture robot;
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();
    const QString startup = robot.robot() + "/STARTUP.XML";

    clickLine(window, 0);
    click(radioOf(window, idRadioRandom + 3));
    runner.ok();
    click(window.control(core::idExportButton));
    QCOMPARE(runner.seen(), QStringList{"113"});
    QCOMPARE(runner.log[0].icon, int(QMessageBox::Warning));
    QCOMPARE(runner.log[0].text, QString::fromUtf8(core::messageText(core::msgExportSucceeded)));
    QCOMPARE(readFile(startup).mid(RobotFixture::greetingOffset, 30), constantSlot(2));
    QCOMPARE(checkedRadio(window), idRadioRandom + 3);  // left as it was

    clickLine(window, 1);
    clickLine(window, 0);
    QCOMPARE(checkedRadio(window), idRadioRandom + 3);  // read back from the file

    QVERIFY(QFile::remove(startup));
    click(window.control(core::idExportButton));
    QCOMPARE(runner.seen(), (QStringList{"113", "112"}));
}

void GuiTest::executeOverUsbAndItsFileError() {
    RobotFixture robot;
    const QString card = robot.path("card/ADDON/");
    writeFile(card + "REMOTE.LOG", QByteArray(16, '\0'));
    robot.writeSettings("[DATA]\r\n" + robot.pathLine(robot.robot()) +
                        "[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" +
                        QFile::encodeName(robot.path("card")) + "/\r\n");
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();

    clickLine(window, 1, true);  // a double-click on a line executes it
    QCOMPARE(readFile(card + "TEMP.VX4"), readFile(robot.robot() + "/ACT/DANCE.XML"));
    QCOMPARE(readFile(card + "REMOTE.LOG").toHex(' '),
             QByteArray("fe ff 88 03 00 00 19 00 05 00 00 00 00 00 00 00"));
    QVERIFY(window.control(core::idExecuteButton)->isEnabled());
    QCOMPARE(runner.seen(), QStringList());

    // A record file that opens but cannot be written: the error box, and the window goes on.
    if (!QFile::exists("/dev/full")) QSKIP("needs /dev/full");
    QVERIFY(QFile::remove(card + "REMOTE.LOG") && QFile::link("/dev/full", card + "REMOTE.LOG"));
    const QByteArray settings = robot.settings();
    runner.ok();
    click(window.control(core::idExecuteButton));
    QCOMPARE(runner.seen(), QStringList{"0"});
    QCOMPARE(runner.log[0].icon, int(QMessageBox::Critical));
    QVERIFY2(runner.log[0].text.contains("REMOTE.LOG"), qPrintable(runner.log[0].text));
    QCOMPARE(robot.settings(), settings);
    QVERIFY(window.isVisible());
}

void GuiTest::cardTransfersThroughTheWindow() {
    RobotFixture robot;
    testing_support::CardEmulatorProcess card(robot.robot().toStdString());
    robot.writeSettings("[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" +
                        QByteArray::fromStdString(card.host()) + "\r\n");
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();
    QCOMPARE(runner.seen(), QStringList());  // programs on the card: no folder question

    // Each transfer runs the progress hook inside the window's command; none outlives it.
    clickLine(window, 0);
    QCOMPARE(checkedRadio(window), int(idRadioRandom));
    QVERIFY(window.control(core::idExecuteButton)->isEnabled());
    click(radioOf(window, idRadioRandom + 1));
    runner.ok();
    click(window.control(core::idExportButton));
    QCOMPARE(runner.seen(), QStringList{"113"});
    QCOMPARE(readFile(robot.robot() + "/STARTUP.XML").mid(RobotFixture::greetingOffset, 30),
             constantSlot(0));
    QVERIFY(window.findChildren<QProgressDialog*>().isEmpty());
    QVERIFY(window.isVisible());
}

void GuiTest::enterAndEscapeEndTheWindow() {
    RobotFixture robot;
    ScriptedRunner runner;
    auto endsWith = [&](int expected, const std::function<void(app::CVKRandomDlg&)>& act) {
        app::CVKRandomDlg window(robot.options(), runner);
        window.show();
        clickLine(window, 0);
        act(window);
        return !window.isVisible() && window.result() == expected;
    };
    QVERIFY(endsWith(QDialog::Accepted, [](app::CVKRandomDlg& w) {
        QTest::keyClick(listOf(w), Qt::Key_Return);  // the focus is on the list
    }));
    QVERIFY(endsWith(QDialog::Rejected,
                     [](app::CVKRandomDlg& w) { QTest::keyClick(listOf(w), Qt::Key_Escape); }));
    QVERIFY(endsWith(QDialog::Rejected,
                     [](app::CVKRandomDlg& w) { click(w.control(core::idCloseButton)); }));

    // Enter on a button that has the focus presses that button.
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();
    window.control(core::idSettingsButton)->setFocus();
    QTest::keyClick(window.control(core::idSettingsButton), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(runner.seen(), QStringList{"settings"});
    QVERIFY(window.isVisible());
}

void GuiTest::secondInstanceClosesAfterItsMessage() {
    RobotFixture robot;
    ScriptedRunner runner;
    app::CVKRandomDlg first(robot.options(), runner);
    first.show();

    ScriptedRunner secondRunner;
    app::CVKRandomDlg second(robot.options(), secondRunner);
    second.show();
    QCOMPARE(secondRunner.seen(), QStringList{"106"});
    QCOMPARE(listOf(second)->count(), 0);
    QCoreApplication::processEvents();  // the posted close request
    QVERIFY(!second.isVisible());

    QVERIFY(first.isVisible());
    QCOMPARE(listOf(first)->count(), 3);
    QCOMPARE(runner.seen(), QStringList());
}

void GuiTest::startUpAsksForTheProgramFolder() {
    RobotFixture robot;
    // No folder yet; the copy on disk names its start-up program in lower case, as FAT may.
    robot.writeSettings("[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    writeFile(robot.path("copy/startup.xml"), readFile(robot.robot() + "/STARTUP.XML"));
    writeFile(robot.path("copy/OTHER.XML"), "");
    ScriptedRunner runner;
    runner.ok();
    runner.chooseFile(robot.path("copy/startup.xml"));
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();
    QCOMPARE(runner.seen(), (QStringList{"131", "file"}));
    const Shown& dialog = runner.log[1];
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("XML"));
    QCOMPARE(dialog.initialFile, QStringLiteral("STARTUP.XML"));
    // The dialog's filter, applied as the dialog does, offers the start-up program only.
    QCOMPARE(dialog.filters.size(), 1);
    QVERIFY(dialog.filters[0].startsWith(QStringLiteral("Vesk起動ﾌﾟﾛｸﾞﾗﾑ (")));
    const QString pattern = dialog.filters[0].section('(', 1).chopped(1);
    QCOMPARE(QDir(robot.path("copy")).entryList({pattern}, QDir::Files | QDir::CaseSensitive),
             QStringList{"startup.xml"});
    QVERIFY(robot.settings().contains(robot.pathLine(robot.path("copy"))));
    QCOMPARE(listOf(window)->count(), 3);
}
