// The settings dialog as the main window's Settings button opens it.
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "gui_fixture.h"
#include "gui_test.h"

using namespace gui_testing;
using app::CDefineDlg;

namespace {
bool checked(CDefineDlg& dialog, int id) {
    return static_cast<QRadioButton*>(dialog.control(id))->isChecked();
}
void openSettings(app::CVKRandomDlg& window) {
    click(window.control(core::idSettingsButton));
}
}  // namespace

void GuiTest::executeFollowsTheConnectionType() {
    for (const bool selected : {false, true}) {
        for (const int connect : {1, 2, 0}) {
            RobotFixture robot;
            ScriptedRunner runner;
            app::CVKRandomDlg window(robot.options(), runner);
            window.show();
            if (selected) clickLine(window, 0);
            bool openedAsStored = false;
            runner.inSettings([&](CDefineDlg& dialog) {
                openedAsStored = checked(dialog, CDefineDlg::idConnectSd) &&
                                 checked(dialog, CDefineDlg::idTypeVesk);
                click(dialog.control(CDefineDlg::idConnectSd + connect));
                QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
            });
            openSettings(window);
            QVERIFY(openedAsStored);
            QCOMPARE(runner.log[0].title, QStringLiteral("設定ダイアログ"));
            QCOMPARE(window.control(core::idExecuteButton)->isEnabled(), selected && connect != 0);
            QVERIFY(
                robot.settings().contains("CONNECT_TYPE=" + QByteArray::number(connect) + "\r\n"));
            // The program type stayed: VERSION is not written and nothing is reloaded.
            QVERIFY(!robot.settings().contains("VERSION"));
            QCOMPARE(window.editor().selectedIndex(), selected ? 0 : -1);
            QCOMPARE(checkedRadio(window), selected ? int(core::idRadioRandom) : -1);
        }
    }
}

void GuiTest::changedProgramTypeReloadsTheList() {
    RobotFixture robot;
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();
    clickLine(window, 0);

    runner.inSettings([](CDefineDlg& dialog) {
        click(dialog.control(CDefineDlg::idTypePallo));
        click(dialog.control(CDefineDlg::idOk));
    });
    openSettings(window);
    QVERIFY(robot.settings().contains("VERSION=2\r\n"));
    QListWidget* list = listOf(window);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("パロのしぐさ"));
    QCOMPARE(checkedRadio(window), -1);
    for (int id = core::idRadioRandom + 1; id <= core::idRadioLast; ++id)
        QVERIFY(radioOf(window, id)->isHidden());
    QVERIFY(!window.control(core::idExportButton)->isEnabled());
    QCOMPARE(window.editor().selectedIndex(), -1);

    clickLine(window, 0);  // the new catalogue's entries work at once
    QCOMPARE(radioOf(window, core::idRadioRandom + 1)->text(), QStringLiteral("まばたき"));
    QCOMPARE(checkedRadio(window), int(core::idRadioRandom));
}

void GuiTest::cancelKeepsOnlyTheChosenFolder() {
    RobotFixture robot;
    writeFile(robot.path("copy/STARTUP.XML"), readFile(robot.robot() + "/STARTUP.XML"));
    QByteArray expected = robot.settings();
    expected.replace(robot.pathLine(robot.robot()), robot.pathLine(robot.path("copy")));
    ScriptedRunner runner;
    app::CVKRandomDlg window(robot.options(), runner);
    window.show();

    runner.inSettings([&](CDefineDlg& dialog) {
        click(dialog.control(CDefineDlg::idTypeLumo2));
        click(dialog.control(CDefineDlg::idConnectFlashAir));
        runner.ok();  // message 131
        runner.chooseFile(robot.path("copy/STARTUP.XML"));
        click(dialog.control(CDefineDlg::idDataFolder));
        QVERIFY(dialog.isVisible());  // the folder button leaves the dialog open
        click(dialog.control(CDefineDlg::idCancel));
    });
    openSettings(window);
    QCOMPARE(runner.seen(), (QStringList{"settings", "131", "file"}));
    QCOMPARE(robot.settings(), expected);
    QCOMPARE(window.editor().programType(), 1);
    QCOMPARE(window.editor().connectType(), 0);
    QCOMPARE(QString::fromStdString(window.editor().programFolder()), robot.path("copy"));

    runner.inSettings([](CDefineDlg& dialog) {  // Escape cancels too
        click(dialog.control(CDefineDlg::idTypePalloMode));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    openSettings(window);
    QCOMPARE(robot.settings(), expected);
    QCOMPARE(listOf(window)->count(), 3);
}
