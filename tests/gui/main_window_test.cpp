// The main window: start state, selection and export, execute, card progress, the keys that
// end it, the second instance and the program-folder question at start-up.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

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
    WindowFixture t;
    app::CVKRandomDlg& window = t.open();
    QCOMPARE(t.runner.seen(), QStringList());
    QCOMPARE(window.windowTitle(), QStringLiteral("Veskランダムエディター"));
    QListWidget* list = listOf(window);
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text();
    QCOMPARE(lines, (QStringList{"あいさつ", "ダンス", "歩き方"}));  // file order, type 1 only
    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(!radioOf(window, idRadioRandom)->isHidden());
    QCOMPARE(shownChoices(window), 0);
    QCOMPARE(checkedRadio(window), -1);
    QVERIFY(!isEnabled(window, core::idExportButton) && !isEnabled(window, core::idExecuteButton));
    QVERIFY(isEnabled(window, core::idSettingsButton));
    QCOMPARE(fileName(window), QString());
    // The first control with a tab stop has the focus; no button is a default button.
    QCOMPARE(window.focusWidget(), window.control(core::idCloseButton));
    for (auto* button : window.findChildren<QPushButton*>()) QVERIFY(!button->autoDefault());
}

void GuiTest::selectExportAndReselect() {
    WindowFixture t;
    app::CVKRandomDlg& window = t.open();
    clickLine(window, 0);  // five labels, random
    QCOMPARE(shownChoices(window), 5);
    const QStringList labels{"おはよう", "こんにちは", "こんばんは", "やあ", "どうも"};
    for (int k = 1; k <= 5; ++k)
        QCOMPARE(radioOf(window, idRadioRandom + k)->text(), labels[k - 1]);
    QCOMPARE(checkedRadio(window), int(idRadioRandom));
    QCOMPARE(fileName(window), QStringLiteral("STARTUP.XML"));
    QVERIFY(isEnabled(window, core::idExportButton));
    QVERIFY(!isEnabled(window, core::idExecuteButton));  // SD card
    // The right button opens the context menu and leaves the selection alone.
    QListWidget* list = listOf(window);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      list->visualItemRect(list->item(2)).center());
    QCOMPARE(window.selectedLine(), 0);
    QCOMPARE(shownChoices(window), 5);

    QTest::keyClick(list, Qt::Key_Down);  // keys select as clicks do: two labels, 2
    QCOMPARE(shownChoices(window), 2);
    QCOMPARE(radioOf(window, idRadioRandom + 2)->text(), QStringLiteral("左"));
    QCOMPARE(checkedRadio(window), idRadioRandom + 2);
    QCOMPARE(fileName(window), QStringLiteral("ACT\\DANCE.XML"));

    clickLine(window, 0);
    click(radioOf(window, idRadioRandom + 3));
    t.runner.ok();
    click(window.control(core::idExportButton));
    QCOMPARE(t.runner.seen(), QStringList{"113"});
    QCOMPARE(t.runner.log[0].icon, int(QMessageBox::Warning));
    QCOMPARE(t.runner.log[0].text, QString::fromUtf8(core::messageText(core::msgExportSucceeded)));
    clickLine(window, 1);
    clickLine(window, 0);
    QCOMPARE(checkedRadio(window), idRadioRandom + 3);  // read back from the file
}

void GuiTest::executeOverUsbAndItsFileError() {
    WindowFixture t;
    const QString card = t.robot.path("card/ADDON/");
    writeFile(card + "REMOTE.LOG", QByteArray(16, '\0'));
    t.robot.writeSettings("[DATA]\r\n" + t.robot.pathLine(t.robot.robot()) +
                          "[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" +
                          QFile::encodeName(t.robot.path("card")) + "/\r\n");
    app::CVKRandomDlg& window = t.open();
    clickLine(window, 1, true);  // a double-click on a line executes it
    QCOMPARE(readFile(card + "TEMP.VX4"), readFile(t.robot.robot() + "/ACT/DANCE.XML"));
    QCOMPARE(t.runner.seen(), QStringList());

    // A record file that opens but cannot be written: the error box, and the window goes on.
    if (!QFile::exists("/dev/full")) QSKIP("needs /dev/full");
    QVERIFY(QFile::remove(card + "REMOTE.LOG") && QFile::link("/dev/full", card + "REMOTE.LOG"));
    t.runner.ok();
    click(window.control(core::idExecuteButton));
    QCOMPARE(t.runner.seen(), QStringList{"0"});
    QCOMPARE(t.runner.log[0].icon, int(QMessageBox::Critical));
    QVERIFY2(t.runner.log[0].text.contains("REMOTE.LOG"), qPrintable(t.runner.log[0].text));
    QVERIFY(window.isVisible());
}

void GuiTest::cardTransfersShowProgress() {
    WindowFixture t;
    testing_support::CardEmulatorProcess card(t.robot.robot().toStdString());
    t.robot.writeSettings("[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" +
                          QByteArray::fromStdString(card.host()) + "\r\n");
    app::CVKRandomDlg& window = t.open();
    QCOMPARE(t.runner.seen(), QStringList());  // programs on the card: no folder question

    // The card client's progress hook feeds the dialog while the window paints; it is gone
    // before any message box and after each command. The close box does nothing meanwhile.
    const auto progressDialogs = [&] { return window.findChildren<QProgressDialog*>().size(); };
    qsizetype duringRead = 0, atTheBox = -1;
    bool closedDuringRead = true;
    QTimer::singleShot(0, &window, [&] {
        duringRead = progressDialogs();
        closedDuringRead = window.close();
    });
    clickLine(window, 0);
    QCOMPARE(duringRead, 1);
    QVERIFY(!closedDuringRead && window.isVisible());
    QVERIFY(isEnabled(window, core::idExecuteButton));
    click(radioOf(window, idRadioRandom + 1));
    t.runner.then([&](QDialog&) {
        atTheBox = progressDialogs();
        return int(QDialog::Accepted);
    });
    click(window.control(core::idExportButton));
    QCOMPARE(t.runner.seen(), QStringList{"113"});
    QCOMPARE(atTheBox, 0);
    clickLine(window, 1);
    clickLine(window, 0);
    QCOMPARE(checkedRadio(window), idRadioRandom + 1);
    QCOMPARE(progressDialogs(), 0);
}

void GuiTest::enterAndEscapeEndTheWindow() {
    WindowFixture t;
    using Act = std::function<void(app::CVKRandomDlg&)>;
    const std::vector<std::pair<int, Act>> ends{
        {QDialog::Accepted, [](auto& w) { QTest::keyClick(listOf(w), Qt::Key_Return); }},
        {QDialog::Rejected, [](auto& w) { QTest::keyClick(listOf(w), Qt::Key_Escape); }},
        {QDialog::Rejected, [](auto& w) { click(w.control(core::idCloseButton)); }}};
    for (const auto& [result, act] : ends) {
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 0);  // the focus is on the list
        act(window);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), result);
    }

    // Enter on a button that has the focus presses that button.
    app::CVKRandomDlg& window = t.open();
    window.control(core::idSettingsButton)->setFocus();
    QTest::keyClick(window.control(core::idSettingsButton), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(t.runner.seen(), QStringList{"settings"});
    QVERIFY(window.isVisible());
}

void GuiTest::secondInstanceClosesAfterItsMessage() {
    WindowFixture t;
    app::CVKRandomDlg& first = t.open();
    ScriptedRunner runner;
    app::CVKRandomDlg second(t.robot.options(), runner);
    second.show();
    QCOMPARE(runner.seen(), QStringList{"106"});
    QCOMPARE(listOf(second)->count(), 0);
    QCoreApplication::processEvents();  // the posted close request
    QVERIFY(!second.isVisible());
    QVERIFY(first.isVisible());
    QCOMPARE(t.runner.seen(), QStringList());
}

void GuiTest::startUpAsksForTheProgramFolder() {
    WindowFixture t;
    // No folder yet; the copy on disk names its start-up program in lower case, as FAT may.
    t.robot.writeSettings("[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    writeFile(t.robot.path("copy/startup.xml"), readFile(t.robot.robot() + "/STARTUP.XML"));
    writeFile(t.robot.path("copy/OTHER.XML"), "");
    t.runner.ok();
    t.runner.chooseFile(t.robot.path("copy/startup.xml"));
    app::CVKRandomDlg& window = t.open();
    QCOMPARE(t.runner.seen(), (QStringList{"131", "file"}));
    const Shown& dialog = t.runner.log[1];
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("XML"));
    QCOMPARE(dialog.initialFile, QStringLiteral("STARTUP.XML"));
    // The dialog's filter, applied as the dialog does, offers the start-up program only.
    QCOMPARE(dialog.filters.size(), 1);
    QVERIFY(dialog.filters[0].startsWith(QStringLiteral("Vesk起動ﾌﾟﾛｸﾞﾗﾑ (")));
    const QString pattern = dialog.filters[0].section('(', 1).chopped(1);
    QCOMPARE(QDir(t.robot.path("copy")).entryList({pattern}, QDir::Files | QDir::CaseSensitive),
             QStringList{"startup.xml"});
    QVERIFY(t.robot.settings().contains(t.robot.pathLine(t.robot.path("copy"))));
    QCOMPARE(listOf(window)->count(), 3);
}
