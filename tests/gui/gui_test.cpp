// The real windows of the program, driven with mouse and keys, headless.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "app/qt/dialog_units.h"
#include "app/qt/message_box.h"
#include "app/qt/vkrandom_app.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "gui_fixture.h"
#include "support/card_emulator_process.h"

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
        QVERIFY(!isEnabled(window, core::idExportButton) && !isEnabled(window, core::idExecuteButton));
        // The first control with a tab stop has the focus; no button is a default button.
        QCOMPARE(window.focusWidget(), window.control(core::idCloseButton));
        for (auto* button : window.findChildren<QPushButton*>()) QVERIFY(!button->autoDefault());
        clickLine(window, 0);  // five labels, random
        QCOMPARE(shownChoices(window), 5);
        QCOMPARE(radioOf(window, idRadioRandom + 5)->text(), QStringLiteral("どうも"));
        QCOMPARE(checkedRadio(window), int(idRadioRandom));
        QCOMPARE(fileName(window), QStringLiteral("STARTUP.XML"));
        QVERIFY(isEnabled(window, core::idExportButton) && !isEnabled(window, core::idExecuteButton));
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

    void doubleClickExecutesAndFileErrorsAreShown() {
        WindowFixture t;
        const QString card = t.path("card/ADDON/");
        writeFile(card + "REMOTE.LOG", QByteArray(16, '\0'));
        t.writeSettings("[DATA]\r\n" + t.pathLine(t.robot()) + "[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" +
                        QFile::encodeName(t.path("card")) + "/\r\n");
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 1, true);
        QCOMPARE(readFile(card + "TEMP.VX4"), readFile(t.robot() + "/ACT/DANCE.XML"));
        QCOMPARE(t.runner.seen(), QStringList());
        if (!QFile::exists("/dev/full")) QSKIP("needs /dev/full");
        QVERIFY(QFile::remove(card + "REMOTE.LOG") && QFile::link("/dev/full", card + "REMOTE.LOG"));
        click(window.control(core::idExecuteButton));
        QCOMPARE(t.runner.log.at(0).icon, int(QMessageBox::Critical));
        QVERIFY2(t.runner.log[0].text.contains("REMOTE.LOG"), qPrintable(t.runner.log[0].text));
        QVERIFY(window.isVisible());
    }

    // The progress dialog shows while a card read runs and is gone before any message box;
    // the close box does nothing meanwhile.
    void cardTransfersShowProgress() {
        WindowFixture t;
        testing_support::CardEmulatorProcess card(t.robot().toStdString());
        t.writeSettings("[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + QByteArray::fromStdString(card.host()) + "\r\n");
        app::CVKRandomDlg& window = t.open();
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
        click(radioOf(window, idRadioRandom + 1));
        t.runner.then([&](QDialog&) {
            atTheBox = progressDialogs();
            return int(QDialog::Accepted);
        });
        click(window.control(core::idExportButton));
        QCOMPARE(t.runner.seen(), QStringList{"113"});
        QCOMPARE(atTheBox, 0);
    }

    void keysEndTheWindowAndASecondInstanceCloses() {
        WindowFixture t;
        using Act = std::function<void(app::CVKRandomDlg&)>;
        const std::vector<std::pair<int, Act>> ends{
            {QDialog::Accepted, [](auto& w) { QTest::keyClick(listOf(w), Qt::Key_Return); }},
            {QDialog::Rejected, [](auto& w) { QTest::keyClick(listOf(w), Qt::Key_Escape); }}};
        for (const auto& [result, act] : ends) {
            app::CVKRandomDlg& window = t.open();
            clickLine(window, 0);
            act(window);
            QVERIFY(!window.isVisible());
            QCOMPARE(window.result(), result);
        }
        // Enter on a focused button presses that button.
        app::CVKRandomDlg& window = t.open();
        window.control(core::idSettingsButton)->setFocus();
        QTest::keyClick(window.control(core::idSettingsButton), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(t.runner.seen(), QStringList{"settings"});
        ScriptedRunner runner;
        app::CVKRandomDlg second(t.options(), runner);
        second.show();
        QCOMPARE(runner.seen(), QStringList{"106"});
        QCoreApplication::processEvents();  // the posted close request
        QVERIFY(!second.isVisible() && window.isVisible());
    }

    void startUpAsksForTheProgramFolder() {
        WindowFixture t;
        // The copy on disk names its start-up program in lower case, as FAT may.
        t.writeSettings("[REMOTE]\r\nCONNECT_TYPE=0\r\n");
        writeFile(t.path("copy/startup.xml"), "");
        writeFile(t.path("copy/OTHER.XML"), "");
        t.runner.ok();
        t.runner.chooseFile(t.path("copy/startup.xml"));
        t.open();
        QCOMPARE(t.runner.seen(), (QStringList{"131", "file"}));
        const Shown& dialog = t.runner.log[1];
        QCOMPARE(dialog.defaultSuffix + " " + dialog.initialFile, QStringLiteral("XML STARTUP.XML"));
        // The dialog's filter, applied as the dialog does, offers the start-up program only.
        QCOMPARE(dialog.filters.size(), 1);
        QVERIFY(dialog.filters[0].startsWith(QStringLiteral("Vesk起動ﾌﾟﾛｸﾞﾗﾑ (")));
        const QString pattern = dialog.filters[0].section('(', 1).chopped(1);
        QCOMPARE(QDir(t.path("copy")).entryList({pattern}, QDir::Files | QDir::CaseSensitive),
                 QStringList{"startup.xml"});
        QVERIFY(t.settings().contains(t.pathLine(t.path("copy"))));
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
                openedAsStored = checked(dialog, CDefineDlg::idConnectSd) && checked(dialog, CDefineDlg::idTypeVesk);
                click(dialog.control(CDefineDlg::idConnectSd + connect));
                QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
            });
            click(window.control(core::idSettingsButton));
            QVERIFY(openedAsStored);
            QCOMPARE(t.runner.log[0].title, QStringLiteral("設定ダイアログ"));
            QCOMPARE(isEnabled(window, core::idExecuteButton), connect != 0);
            QCOMPARE(t.settings(), "[DATA]\r\n" + t.pathLine(t.robot()) + "[REMOTE]\r\nCONNECT_TYPE=" +
                                       QByteArray::number(connect) + "\r\n");
            QCOMPARE(checkedRadio(window), int(idRadioRandom));
        }
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 0);
        t.runner.inSettings([](CDefineDlg& dialog) {
            click(dialog.control(CDefineDlg::idTypePallo));
            click(dialog.control(CDefineDlg::idOk));
        });
        click(window.control(core::idSettingsButton));
        QVERIFY(t.settings().contains("VERSION=2\r\n"));
        QCOMPARE(listOf(window)->item(0)->text(), QStringLiteral("パロのしぐさ"));
        QVERIFY(checkedRadio(window) == -1 && shownChoices(window) == 0);
        QVERIFY(!isEnabled(window, core::idExportButton));
    }

    // The folder button leaves the dialog open; Cancel then keeps only the chosen folder. Tab
    // visits the buttons, not the radios, and Enter on a focused Cancel cancels.
    void cancelKeepsOnlyTheChosenFolder() {
        WindowFixture t;
        writeFile(t.path("copy/STARTUP.XML"), "");
        QByteArray expected = t.settings();
        expected.replace(t.pathLine(t.robot()), t.pathLine(t.path("copy")));
        app::CVKRandomDlg& window = t.open();
        QStringList tabbed;
        t.runner.inSettings([&](CDefineDlg& dialog) {
            click(dialog.control(CDefineDlg::idTypeLumo2));
            click(dialog.control(CDefineDlg::idConnectFlashAir));
            t.runner.ok();  // message 131
            t.runner.chooseFile(t.path("copy/STARTUP.XML"));
            click(dialog.control(CDefineDlg::idDataFolder));
            QVERIFY(dialog.isVisible());
            dialog.control(CDefineDlg::idOk)->setFocus();
            for (int i = 0; i < 3; ++i) {
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                auto* button = qobject_cast<QAbstractButton*>(dialog.focusWidget());
                tabbed << (button ? button->text() : QString());
            }
            QTest::keyClick(dialog.control(CDefineDlg::idCancel), Qt::Key_Return);
        });
        click(window.control(core::idSettingsButton));
        QCOMPARE(t.runner.seen(), (QStringList{"settings", "131", "file"}));
        QCOMPARE(tabbed, (QStringList{"キャンセル", "データフォルダー指定", "OK"}));
        QCOMPARE(t.settings(), expected);
        QCOMPARE(listOf(window)->count(), 3);  // nothing reloaded
    }

    void aboutBoxFromTheWindowMenu() {
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        QString version;
        t.runner.then([&](QDialog& about) {
            version = about.findChild<QLabel*>("version")->text();
            click(about.findChild<QPushButton*>());
            return about.result();
        });
        // The low four bits of a command id are the platform's; other commands are not ours.
        QVERIFY(window.systemCommand(0x0010) && window.systemCommand(0x001F));
        QVERIFY(!window.systemCommand(0x0020) && !window.systemCommand(0xF060));
        QCOMPARE(t.runner.log[0].title, QStringLiteral("バージョン情報 VKRandom"));
        QCOMPARE(version, QStringLiteral("VKRandom Version 1.60"));
        // Where Linux windows offer the entry: the context menu and F1.
        QCOMPARE(window.actions().size(), 1);
        QCOMPARE(window.actions()[0]->text(), QString::fromUtf8(core::messageText(101)));
        window.actions()[0]->trigger();
        QTest::keyClick(&window, Qt::Key_F1);
        QCOMPARE(t.runner.seen(), (QStringList{"about", "about", "about", "about"}));
    }

    // Runs in a copy of this executable under another name, whose boxes carry that name.
    void boxCaptionFollowsTheExecutableName() {
        const QString expected = qEnvironmentVariable("GUI_TEST_EXPECTED_CAPTION");
        if (!expected.isEmpty()) {
            WindowFixture t;
            app::CVKRandomDlg& window = t.open();
            clickLine(window, 1);
            click(window.control(core::idExportButton));
            QCOMPARE(t.runner.log.at(0).title, expected);
            return;
        }
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("ロボット道具.bin"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QProcess process;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("GUI_TEST_EXPECTED_CAPTION", QStringLiteral("ロボット道具"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(copy, {QStringLiteral("boxCaptionFollowsTheExecutableName")});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardOutput().constData());
    }

    // The window fits a 1366 x 768 laptop with its title bar and a panel, in the template's
    // proportions, and no control lies outside it.
    void mainWindowFitsTheScreen() {
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 0);
        const QRect frame = window.frameGeometry();
        const int titleBar = frame.height() > window.height() ? 0 : 40;  // none offscreen
        QVERIFY2(frame.height() + titleBar <= 680, qPrintable(QString::number(frame.height())));
        const double ratio = double(window.width()) / window.height();
        QVERIFY2(std::abs(ratio / (331.0 / 347.0) - 1) < 0.03, qPrintable(QString::number(ratio)));
        for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(window.rect().contains(control->geometry()), control->metaObject()->className());
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
            QCOMPARE(QString(wrapped).remove('\n').remove(' '), QString(text).remove('\n').remove(' '));
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
