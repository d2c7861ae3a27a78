// The settings dialog as the main window's Settings button opens it.
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
}  // namespace

void GuiTest::executeFollowsTheConnectionType() {
    for (const bool selected : {false, true}) {
        for (const int connect : {1, 2, 0}) {
            WindowFixture t;
            app::CVKRandomDlg& window = t.open();
            if (selected) clickLine(window, 0);
            bool openedAsStored = false;
            t.runner.inSettings([&](CDefineDlg& dialog) {
                openedAsStored = checked(dialog, CDefineDlg::idConnectSd) &&
                                 checked(dialog, CDefineDlg::idTypeVesk);
                click(dialog.control(CDefineDlg::idConnectSd + connect));
                QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
            });
            click(window.control(core::idSettingsButton));
            QVERIFY(openedAsStored);
            QCOMPARE(t.runner.log[0].title, QStringLiteral("設定ダイアログ"));
            QCOMPARE(isEnabled(window, core::idExecuteButton), selected && connect != 0);
            const QByteArray settings = t.robot.settings();
            QVERIFY(settings.contains("CONNECT_TYPE=" + QByteArray::number(connect) + "\r\n"));
            // The program type stayed: VERSION is not written and the choices stay.
            QVERIFY(!settings.contains("VERSION"));
            QCOMPARE(checkedRadio(window), selected ? int(core::idRadioRandom) : -1);
        }
    }
}

void GuiTest::changedProgramTypeReloadsTheList() {
    WindowFixture t;
    app::CVKRandomDlg& window = t.open();
    clickLine(window, 0);
    t.runner.inSettings([](CDefineDlg& dialog) {
        click(dialog.control(CDefineDlg::idTypePallo));
        click(dialog.control(CDefineDlg::idOk));
    });
    click(window.control(core::idSettingsButton));
    QVERIFY(t.robot.settings().contains("VERSION=2\r\n"));
    QListWidget* list = listOf(window);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("パロのしぐさ"));
    QCOMPARE(checkedRadio(window), -1);
    QCOMPARE(shownChoices(window), 0);
    QVERIFY(!isEnabled(window, core::idExportButton));
}

void GuiTest::cancelKeepsOnlyTheChosenFolder() {
    WindowFixture t;
    writeFile(t.robot.path("copy/STARTUP.XML"), readFile(t.robot.robot() + "/STARTUP.XML"));
    QByteArray expected = t.robot.settings();
    expected.replace(t.robot.pathLine(t.robot.robot()), t.robot.pathLine(t.robot.path("copy")));
    app::CVKRandomDlg& window = t.open();
    t.runner.inSettings([&](CDefineDlg& dialog) {
        click(dialog.control(CDefineDlg::idTypeLumo2));
        click(dialog.control(CDefineDlg::idConnectFlashAir));
        t.runner.ok();  // message 131
        t.runner.chooseFile(t.robot.path("copy/STARTUP.XML"));
        click(dialog.control(CDefineDlg::idDataFolder));
        QVERIFY(dialog.isVisible());  // the folder button leaves the dialog open
        click(dialog.control(CDefineDlg::idCancel));
    });
    click(window.control(core::idSettingsButton));
    QCOMPARE(t.runner.seen(), (QStringList{"settings", "131", "file"}));
    QCOMPARE(t.robot.settings(), expected);
    QCOMPARE(listOf(window)->count(), 3);  // nothing reloaded
}

void GuiTest::settingsKeys() {
    WindowFixture t;
    app::CVKRandomDlg& window = t.open();
    const QByteArray stored = t.robot.settings();
    QStringList tabbed;
    t.runner.inSettings([&](CDefineDlg& dialog) {
        click(dialog.control(CDefineDlg::idConnectUsb));
        dialog.control(CDefineDlg::idOk)->setFocus();
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            auto* button = qobject_cast<QAbstractButton*>(dialog.focusWidget());
            tabbed << (button ? button->text() : QString());
        }
        // Enter on a focused Cancel cancels; it must not store through OK.
        QTest::keyClick(dialog.control(CDefineDlg::idCancel), Qt::Key_Return);
    });
    click(window.control(core::idSettingsButton));
    // Tab visits the buttons, not the radios.
    QCOMPARE(tabbed, (QStringList{"キャンセル", "データフォルダー指定", "OK"}));
    QCOMPARE(t.robot.settings(), stored);
    QVERIFY(!isEnabled(window, core::idExecuteButton));
}
