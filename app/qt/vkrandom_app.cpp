#include "app/qt/vkrandom_app.h"

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/qt/about_dlg.h"
#include "app/qt/dialog_units.h"
#include "app/qt/vkrandom_dlg.h"

namespace app {

CVKRandomApp::CVKRandomApp(int& argc, char** argv) : application_(argc, argv) {
    setUpApplication(application_);
}

int CVKRandomApp::run() {
    CVKRandomDlg window(parseOptions(QCoreApplication::arguments()));
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

core::EditorOptions parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Veskのプログラムの動作を編集するプログラム"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("設定ファイル (VKRandom.ini) の場所"),
                                      QStringLiteral("FILE"));
    parser.addOption(settings);
    // Qt's own help option describes itself in English.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("この説明を表示する。"));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    // Desktop launchers may pass files or options of their own: they are not ours to refuse.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.parse(arguments);
    if (parser.isSet(help)) parser.showHelp();        // prints and ends the process
    if (parser.isSet(version)) parser.showVersion();  // likewise
    core::EditorOptions options;
    if (parser.isSet(settings))
        options.settingsPath = QFile::encodeName(parser.value(settings)).toStdString();
    return options;
}

}  // namespace app
