// The real windows of the program, driven with mouse and keys, headless.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/qt/dialog_units.h"
#include "app/qt/message_box.h"
#include "app/qt/vkrandom_app.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "gui_fixture.h"
#include "rc/description.h"
#include "res/resource.h"

using namespace gui_testing;
using app::CDefineDlg;
using core::idRadioRandom;

namespace {
QString fileName(app::CVKRandomDlg& window) {
    return static_cast<QLabel*>(window.control(core::idFileNameText))->text();
}
bool checked(CDefineDlg& dialog, int id) {
    return static_cast<QRadioButton*>(dialog.control(id))->isChecked();
}
}  // namespace

class GuiTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::setUpApplication(*qApp); }

    void selectExportAndReselect() {
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        QCOMPARE(window.windowTitle(), QStringLiteral("Veskランダムエディター"));
        QCOMPARE(listOf(window)->count(), 3);  // type 1 only
        QCOMPARE(checkedRadio(window), -1);
        QVERIFY(!isEnabled(window, core::idExportButton) &&
                !isEnabled(window, core::idExecuteButton));
        // The first control with a tab stop has the focus; no button is a default button.
        QCOMPARE(window.focusWidget(), window.control(core::idCloseButton));
        for (auto* button : window.findChildren<QPushButton*>()) QVERIFY(!button->autoDefault());
        clickLine(window, 0);  // five labels, random
        QCOMPARE(shownChoices(window), 5);
        QCOMPARE(radioOf(window, idRadioRandom + 5)->text(), QStringLiteral("どうも"));
        QCOMPARE(checkedRadio(window), int(idRadioRandom));
        QCOMPARE(fileName(window), QStringLiteral("STARTUP.XML"));
        QVERIFY(isEnabled(window, core::idExportButton) &&
                !isEnabled(window, core::idExecuteButton));
        // The right button leaves the selection alone; keys select as clicks do.
        QTest::mouseClick(listOf(window)->viewport(), Qt::RightButton, {},
                          listOf(window)->visualItemRect(listOf(window)->item(2)).center());
        QCOMPARE(window.selectedLine(), 0);
        QTest::keyClick(listOf(window), Qt::Key_Down);
        QCOMPARE(shownChoices(window), 2);
        QCOMPARE(checkedRadio(window), idRadioRandom + 2);
        QCOMPARE(fileName(window), QStringLiteral("ACT\\DANCE.XML"));
        clickLine(window, 0);
        click(radioOf(window, idRadioRandom + 3));
        t.runner.ok();
        click(window.control(core::idExportButton));
        QCOMPARE(t.runner.seen(), QStringList{"113"});
        QCOMPARE(t.runner.log[0].icon, int(QMessageBox::Warning));
        QCOMPARE(t.runner.log[0].text, QString::fromUtf8(core::messageText(113)));
        clickLine(window, 1);
        clickLine(window, 0);
        QCOMPARE(checkedRadio(window), idRadioRandom + 3);  // read back from the file
    }

    void doubleClickAndButtonExecute() {
        WindowFixture t;
        const QString card = t.path("card/ADDON/");
        writeFile(card + "REMOTE.LOG", QByteArray(16, '\0'));
        t.writeSettings("[DATA]\r\n" + t.pathLine(t.robot()) +
                        "[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" +
                        QFile::encodeName(t.path("card")) + "/\r\n");
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 1, true);
        QCOMPARE(readFile(card + "TEMP.VX4"), readFile(t.robot() + "/ACT/DANCE.XML"));
        // The button executes the line selected.
        clickLine(window, 0);
        click(window.control(core::idExecuteButton));
        QCOMPARE(readFile(card + "TEMP.VX4"), readFile(t.robot() + "/STARTUP.XML"));
        QCOMPARE(t.runner.seen(), QStringList());
    }

    // The dialog opens on the stored values; OK stores the connection type, and the program
    // type only when it changed, which reloads the list.
    void settingsDialogStoresWhatIsChecked() {
        for (const int connect : {1, 2, 0}) {
            WindowFixture t;
            app::CVKRandomDlg& window = t.open();
            clickLine(window, 0);
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
            QCOMPARE(isEnabled(window, core::idExecuteButton), connect != 0);
            QCOMPARE(t.settings(), "[DATA]\r\n" + t.pathLine(t.robot()) +
                                       "[REMOTE]\r\nCONNECT_TYPE=" + QByteArray::number(connect) +
                                       "\r\n");
            QCOMPARE(checkedRadio(window), int(idRadioRandom));
        }
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 0);
        // The card's address typed in is stored; the line below says where programs would be.
        QString source;
        t.runner.inSettings([&](CDefineDlg& dialog) {
            click(dialog.control(CDefineDlg::idTypePallo));
            static_cast<QLineEdit*>(dialog.control(CDefineDlg::idCardHost))->setText("10.0.0.9");
            source = static_cast<QLabel*>(dialog.control(CDefineDlg::idSource))->toolTip();
            click(dialog.control(CDefineDlg::idOk));
        });
        click(window.control(core::idSettingsButton));
        QVERIFY(t.settings().contains("VERSION=2\r\n") &&
                t.settings().contains("CARD_HOST=10.0.0.9\r\n"));
        QVERIFY2(source.contains(t.robot()), qPrintable(source));
        QCOMPARE(listOf(window)->item(0)->text(), QStringLiteral("パロのしぐさ"));
        QVERIFY(checkedRadio(window) == -1 && shownChoices(window) == 0);
        QVERIFY(!isEnabled(window, core::idExportButton));
    }

    // The folder button leaves the dialog open; Cancel then keeps only the chosen folder, and
    // Enter on a focused Cancel cancels.
    void cancelKeepsOnlyTheChosenFolder() {
        WindowFixture t;
        writeFile(t.path("copy/STARTUP.XML"), "");
        QByteArray expected = t.settings();
        expected.replace(t.pathLine(t.robot()), t.pathLine(t.path("copy")));
        app::CVKRandomDlg& window = t.open();
        t.runner.inSettings([&](CDefineDlg& dialog) {
            click(dialog.control(CDefineDlg::idTypeLumo2));
            click(dialog.control(CDefineDlg::idConnectFlashAir));
            t.runner.ok();  // message 131
            t.runner.chooseFile(t.path("copy/STARTUP.XML"));
            click(dialog.control(CDefineDlg::idDataFolder));
            QVERIFY(dialog.isVisible());
            QTest::keyClick(dialog.control(CDefineDlg::idCancel), Qt::Key_Return);
        });
        click(window.control(core::idSettingsButton));
        QCOMPARE(t.runner.seen(), (QStringList{"settings", "131", "file"}));
        QCOMPARE(t.settings(), expected);
        QCOMPARE(listOf(window)->count(), 3);  // nothing reloaded
    }

    // The window fits a 1366 x 768 laptop with its title bar and a panel, in the template's
    // proportions, and no control lies outside it.
    // Once the window is up every line shows its state; the reset and the undo change them.
    void statesBesideTheLinesResetAndUndo() {
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        const auto state = [&] { return listOf(window)->item(1)->toolTip(); };
        QTRY_COMPARE(state(), QStringLiteral("ダンス：左"));
        const auto yes = [](QDialog&) { return int(QMessageBox::Yes); };
        t.runner.steps = {yes, yes};
        click(window.control(core::idResetButton));
        QCOMPARE(t.runner.seen(), (QStringList{"150", "151"}));
        QCOMPARE(state(), QStringLiteral("ダンス：ランダム(標準)"));
        t.runner.steps = {yes, yes};
        click(window.control(core::idUndoButton));
        QCOMPARE(state(), QStringLiteral("ダンス：左"));
    }

    void mainWindowFitsTheScreen() {
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        const int titleBar = window.frameGeometry().height() > window.height() ? 0 : 40;
        const int tall = window.frameGeometry().height() + titleBar;
        QVERIFY2(tall <= 680, qPrintable(QString::number(tall)));
        const double ratio = double(window.width()) / window.height();
        const rc::Dialog& drawn = *rc::dialog(IDD_VKRANDOM_DIALOG);
        QVERIFY2(std::abs(ratio / (double(drawn.width) / drawn.height) - 1) < 0.03,
                 qPrintable(QString::number(ratio)));
        for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(window.rect().contains(control->geometry()),
                     control->metaObject()->className());
    }

    // A message keeps the lines it sets while they fit; a longer line breaks into lines of about
    // equal width (no orphan), never inside a Latin word nor before closing punctuation.
    void messageLines() {
        const QFontMetricsF metrics(app::uiFont());
        const double em = metrics.horizontalAdvance(QChar(0x3042)), limit = 40 * em;
        const QString startup = QString::fromUtf8(core::messageText(core::msgChooseStartup));
        QCOMPARE(app::wrapMessage(startup, metrics, 30 * em, 80 * em), startup);
        const QString fileError = QString::fromStdString(core::fileErrorText(core::FileError(
            "/media/ロボット/VESK_SD_CARD/ADDON/REMOTE.LOG", platform::FileErrorCause::diskFull)));
        for (const QString& text : {startup, fileError}) {
            const QString wrapped = app::wrapMessage(text, metrics, 30 * em, limit);
            QVERIFY(wrapped.count('\n') > text.count('\n'));
            QCOMPARE(QString(wrapped).remove('\n').remove(' '),
                     QString(text).remove('\n').remove(' '));
            for (const char* word : {"FlashAir", "REMOTE.LOG", "VESK_SD_CARD"})
                QCOMPARE(wrapped.count(word), text.count(word));
            for (const QString& line : wrapped.split('\n')) {
                const double width = metrics.horizontalAdvance(line);
                QVERIFY2(width <= limit && width > 0.4 * limit, qPrintable(line));
                QVERIFY2(!line.startsWith(QStringLiteral("。")), qPrintable(line));
            }
        }
    }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
