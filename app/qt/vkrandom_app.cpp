#include "app/qt/vkrandom_app.h"

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/qt/about_dlg.h"
#include "app/qt/dialog_units.h"
#include "app/qt/message_box.h"
#include "app/qt/qt_prompts.h"
#include "app/qt/vkrandom_dlg.h"
#include "core/demo.h"
#include "platform/paths.h"

namespace app {

CVKRandomApp::CVKRandomApp(int& argc, char** argv) : application_(argc, argv) {
    setUpApplication(application_);
}

int CVKRandomApp::run() {
    const std::optional<core::EditorOptions> options = parseOptions(QCoreApplication::arguments());
    if (!options) return 1;
    CVKRandomDlg window(*options);
    window.exec();
    return 0;
}

void preferPortalFileDialogs() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString theme = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                          QStringLiteral("/platformthemes/libqxdgdesktopportal.so");
    if (!QFile::exists(theme)) return;
    const QString probe = QStringLiteral("vkrandom-portal-probe");
    bool answered = false;
    {
        // A connection of its own: the application's bus connection comes later, with Qt.
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, probe);
        QDBusMessage get = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"),
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.portal.FileChooser") << QStringLiteral("version");
        answered = bus.isConnected() &&
                   bus.call(get, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage;
    }
    QDBusConnection::disconnectFromBus(probe);
    if (answered) qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
}

void setUpApplication(QApplication& application) {
    QCoreApplication::setApplicationVersion(QStringLiteral(VKRANDOM_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("vkrandom"));
    QApplication::setWindowIcon(programIcon());
    QApplication::setFont(uiFont());
    // The interface is Japanese whatever the locale, so Qt's own buttons and dialogs are too.
    auto* qtTexts = new QTranslator(&application);
    if (qtTexts->load(QStringLiteral("qtbase_ja"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
}

namespace {

const QString settingsOption = QStringLiteral("settings");
const QString demoOption = QStringLiteral("demo");
const QString helpOption = QStringLiteral("help");
const QString versionOption = QStringLiteral("version");

void parse(QCommandLineParser& parser, const QStringList& arguments) {
    parser.setApplicationDescription(QStringLiteral("Veskのプログラムの動作を編集するプログラム"));
    parser.addOption({settingsOption, QStringLiteral("設定ファイル (VKRandom.ini) の場所"),
                      QStringLiteral("FILE")});
    parser.addOption({demoOption, QStringLiteral("デモを開く（初回は ~/.local/share/VKRandom/demo "
                                                 "にコピーし、そのコピーを開く）")});
    // Qt's own help and version options describe themselves in English.
    parser.addOption({{QStringLiteral("h"), helpOption}, QStringLiteral("この説明を表示する。")});
    parser.addOption(
        {{QStringLiteral("v"), versionOption}, QStringLiteral("バージョンを表示する。")});
    // Desktop launchers may pass files or options of their own: they are not ours to refuse.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.parse(arguments);
}

}  // namespace

void showInformationIfAsked(int& argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parse(parser, arguments);
    if (!parser.isSet(helpOption) && !parser.isSet(versionOption)) return;
    const QCoreApplication application(argc, argv);  // Qt's texts name the program by it
    QCoreApplication::setApplicationVersion(QStringLiteral(VKRANDOM_VERSION));
    if (parser.isSet(helpOption)) parser.showHelp();  // prints and ends the process
    parser.showVersion();                             // likewise
}

std::optional<core::EditorOptions> parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parse(parser, arguments);
    if (parser.isSet(helpOption)) parser.showHelp();        // prints and ends the process
    if (parser.isSet(versionOption)) parser.showVersion();  // likewise
    core::EditorOptions options;
    if (parser.isSet(settingsOption))
        options.settingsPath = QFile::encodeName(parser.value(settingsOption)).toStdString();
    if (parser.isSet(demoOption)) {
        std::string error;
        const auto demo =
            core::prepareDemo(platform::packagedDemoFolder(), platform::userDataFolder(), error);
        if (!demo) {
            MessageBox box(QMessageBox::Critical, boxCaption(), QString::fromStdString(error),
                           nullptr);
            box.exec();
            return std::nullopt;
        }
        options.settingsPath = demo->settingsPath;
        options.catalogueDir = demo->folder;
    }
    return options;
}

}  // namespace app
