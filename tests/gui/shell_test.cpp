// The application shell: the About box and its entry, box captions, and screenshots.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "core/messages.h"
#include "gui_fixture.h"
#include "gui_test.h"

using namespace gui_testing;

void GuiTest::aboutBoxFromTheWindowMenu() {
    WindowFixture t;
    app::CVKRandomDlg& window = t.open();
    QString version;
    t.runner.then([&](QDialog& about) {
        version = about.findChild<QLabel*>("version")->text();
        click(about.findChild<QPushButton*>());
        return about.result();
    });
    QVERIFY(window.systemCommand(0x0010));
    QCOMPARE(t.runner.log[0].title, QStringLiteral("バージョン情報 VKRandom"));
    QCOMPARE(version, QStringLiteral("VKRandom Version 1.60"));
    // The low four bits of a command id are the platform's; other commands are not ours.
    QVERIFY(window.systemCommand(0x001F));
    QVERIFY(!window.systemCommand(0x0020));
    QVERIFY(!window.systemCommand(0xF060));

    // Where Linux windows offer the entry: the context menu and F1.
    QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(window.actions().size(), 1);
    QCOMPARE(window.actions()[0]->text(), QString::fromUtf8(core::messageText(core::msgAboutMenu)));
    window.actions()[0]->trigger();
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(t.runner.seen(), (QStringList{"about", "about", "about", "about"}));
    QVERIFY(window.isVisible());
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.6.0.0"));
}

// Runs in a copy of this executable under another name, whose boxes carry that name.
void GuiTest::boxCaptionFollowsTheExecutableName() {
    const QString expected = qEnvironmentVariable("GUI_TEST_EXPECTED_CAPTION");
    if (!expected.isEmpty()) {
        WindowFixture t;
        app::CVKRandomDlg& window = t.open();
        clickLine(window, 1);
        click(window.control(core::idExportButton));
        QCOMPARE(t.runner.seen(), QStringList{"113"});
        QCOMPARE(t.runner.log[0].title, expected);
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

namespace {
void save(QWidget& widget, const char* name) {
    const QString dir = qEnvironmentVariable("VKRANDOM_SCREENSHOT_DIR", GUI_SCREENSHOT_DIR);
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
    QDir().mkpath(dir);
    QVERIFY(
        widget.grab().save(dir + "/" + name + (scale == "1" ? "" : "@" + scale + "x") + ".png"));
}
}  // namespace

// The demo robot with an entry selected, the settings dialog and the About box as PNGs, for a
// look at the layout (scripts/screenshots makes them at 100 % and 200 %).
void GuiTest::screenshots() {
    const QString demo = QStringLiteral(VKRANDOM_SOURCE_DIR "/demo");
    if (!QFile::exists(demo + "/Random.csv")) QSKIP("no demo folder");
    QTemporaryDir dir;
    writeFile(dir.filePath("VKRandom.ini"), "[DATA]\r\nPATH=" + QFile::encodeName(demo + "/robot") +
                                                "\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\n");
    core::EditorOptions options;
    options.settingsPath = QFile::encodeName(dir.filePath("VKRandom.ini")).toStdString();
    options.lockPath = QFile::encodeName(dir.filePath("lock")).toStdString();
    options.catalogueDir = QFile::encodeName(demo).toStdString();
    ScriptedRunner runner;
    app::CVKRandomDlg window(options, runner);
    window.show();
    clickLine(window, 4);  // the entry with the most choices
    save(window, "main-window");
    runner.inSettings([](app::CDefineDlg& dialog) { save(dialog, "settings-dialog"); });
    click(window.control(core::idSettingsButton));
    runner.then([](QDialog& about) {
        save(about, "about-box");
        return int(QDialog::Accepted);
    });
    window.systemCommand(app::CVKRandomDlg::idAboutCommand);
    QCOMPARE(runner.seen(), (QStringList{"settings", "about"}));
}
