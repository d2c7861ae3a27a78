#include "gui_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>

#include "platform/encoding.h"

namespace gui_testing {

int ScriptedRunner::run(QDialog& dialog) {
    Shown s;
    s.kind = QStringLiteral("about");
    s.title = dialog.windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        s.kind = QStringLiteral("message");
        s.messageId = box->property("messageId").toInt();
        s.icon = box->icon();
        s.text = box->text() + (box->standardButtons() == QMessageBox::Ok ? "" : " [not OK only]");
    } else if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
        s.kind = QStringLiteral("file");
        s.filters = files->nameFilters();
        s.defaultSuffix = files->defaultSuffix();
        s.initialFile = QFileInfo(files->selectedFiles().value(0)).fileName();
    } else if (qobject_cast<app::CDefineDlg*>(&dialog)) {
        s.kind = QStringLiteral("settings");
    }
    log.push_back(s);
    if (steps.empty()) return QDialog::Rejected;
    const Step step = std::move(steps.front());
    steps.pop_front();
    return step(dialog);
}

void ScriptedRunner::ok() {
    then([](QDialog&) { return int(QDialog::Accepted); });
}

void ScriptedRunner::cancel() {
    then([](QDialog&) { return int(QDialog::Rejected); });
}

void ScriptedRunner::chooseFile(const QString& path) {
    then([path](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(path);
        return int(QDialog::Accepted);
    });
}

void ScriptedRunner::inSettings(std::function<void(app::CDefineDlg&)> act) {
    then([act](QDialog& dialog) {
        auto& settings = static_cast<app::CDefineDlg&>(dialog);
        settings.show();
        act(settings);
        if (settings.isVisible()) settings.reject();  // left open: closed by its close box
        return settings.result();
    });
}

QStringList ScriptedRunner::seen() const {
    QStringList ids;
    for (const Shown& s : log) ids << (s.messageId >= 0 ? QString::number(s.messageId) : s.kind);
    return ids;
}

namespace {
QByteArray cp932(const char* utf8) {
    return QByteArray::fromStdString(platform::utf8ToCp932(utf8).value());
}

// A program with `slot` at `offset`: random (4-byte source) or constant n (choice n + 1).
QByteArray program(int offset, int constant = -1) {
    const QByteArray slot = constant < 0 ? QByteArrayLiteral("<mem_r size=\"4\" adr=\"0x0084\"/>")
                                         : "<const data=\"" + QByteArray::number(constant) +
                                               "\"/>\r\n" + QByteArray(11, ' ');
    return "<program>" + QByteArray(offset - 11, ' ') + "\r\n" + slot + "\r\n</program>\r\n";
}
}  // namespace

RobotFixture::RobotFixture() {
    writeFile(path("Random.csv"),
              cp932("種別,名前,備考,ファイル,乱数,位置,選択肢\r\n"
                    "0,あいさつ,x,STARTUP.XML,4,40,おはよう,こんにちは,こんばんは,やあ,どうも,\r\n"
                    "0,ダンス,x,\"ACT\\DANCE.XML\",2,24,右,左,\r\n"
                    "2,パロ専用,x,PALLO.XML,4,16,A,B,\r\n"
                    "1,歩き方,x,WALK.XML,4,16,ゆっくり,はやい,\r\n"));
    writeFile(path("RandomV2.csv"),
              cp932("種別,名前\r\n2,パロのしぐさ,x,PALLO.XML,4,16,まばたき,あくび,\r\n"));
    writeFile(robot() + "/STARTUP.XML", program(40));
    writeFile(robot() + "/ACT/DANCE.XML", program(24, 1));
    writeFile(robot() + "/WALK.XML", program(16));
    writeFile(robot() + "/PALLO.XML", program(16));
    writeSettings("[DATA]\r\n" + pathLine(robot()) + "[REMOTE]\r\nCONNECT_TYPE=0\r\n");
}

core::EditorOptions RobotFixture::options() const {
    core::EditorOptions options;
    options.settingsPath = QFile::encodeName(path("VKRandom.ini")).toStdString();
    options.lockPath = QFile::encodeName(path("VKRandom.lock")).toStdString();
    options.catalogueDir = QFile::encodeName(dir_.path()).toStdString();
    return options;
}

void RobotFixture::writeSettings(const QByteArray& content) const {
    writeFile(path("VKRandom.ini"), content);
}

QByteArray RobotFixture::settings() const {
    return readFile(path("VKRandom.ini"));
}

QByteArray RobotFixture::pathLine(const QString& folder) const {
    return "PATH=" + QFile::encodeName(folder) + "\r\n";
}

app::CVKRandomDlg& WindowFixture::open() {
    window.emplace(robot.options(), runner);  // the old window and its lock go first
    window->show();
    return *window;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QListWidget* listOf(app::CVKRandomDlg& window) {
    return static_cast<QListWidget*>(window.control(core::idListBox));
}

QRadioButton* radioOf(app::CVKRandomDlg& window, int id) {
    return static_cast<QRadioButton*>(window.control(id));
}

int checkedRadio(app::CVKRandomDlg& window) {
    int found = -1;
    for (int id = core::idRadioRandom; id <= core::idRadioLast; ++id)
        if (radioOf(window, id)->isChecked()) found = found == -1 ? id : -2;
    return found;
}

int shownChoices(app::CVKRandomDlg& window) {
    int shown = 0;
    for (int k = 1; k <= core::maxShownChoices; ++k)
        if (!radioOf(window, core::idRadioRandom + k)->isHidden()) shown = shown == k - 1 ? k : -1;
    return shown;
}

bool isEnabled(app::CVKRandomDlg& window, int id) {
    return window.control(id)->isEnabled();
}

void clickLine(app::CVKRandomDlg& window, int row, bool twice) {
    QListWidget* list = listOf(window);
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

}  // namespace gui_testing
