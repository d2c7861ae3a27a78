#include "app/qt/vkrandom_dlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/qt/about_dlg.h"
#include "app/qt/dialog_units.h"
#include "app/qt/radio_button.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "platform/encoding.h"

namespace app {

namespace {

// A list box keeps one line selected once the user picked one: Ctrl+click and Ctrl+Space
// select the line instead of clearing the selection. The right button (which opens the context
// menu) moves neither the selection nor the current line.
class LineList : public QListWidget {
  public:
    using QListWidget::QListWidget;

  protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        auto flags = QListWidget::selectionCommand(index, event);
        if (index.isValid() &&
            (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
            flags = QItemSelectionModel::ClearAndSelect;
        return flags;
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::RightButton) QListWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::RightButton) QListWidget::mouseReleaseEvent(event);
    }
};

QString fromCp932(const std::string& text) {
    return QString::fromStdString(platform::cp932ToUtf8Lossy(text));
}

QPushButton* pushButton(QWidget* parent, const QString& text) {
    auto* button = new QPushButton(text, parent);
    // No default button: Enter ends the window unless a button has the focus.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CVKRandomDlg::CVKRandomDlg(core::EditorOptions options, DialogRunner& runner)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      runner_(runner),
      progress_(this),
      prompts_(this, runner) {
    setWindowTitle(QStringLiteral("Veskランダムエディター"));
    setWindowIcon(programIcon());
    setFont(uiFont());
    createControls();

    const QString aboutText = QString::fromUtf8(core::messageText(core::msgAboutMenu));
    if (!aboutText.isEmpty()) {
        // Linux window managers keep their window menus to themselves, so the About entry
        // lives in the window's context menu and on F1.
        auto* about = new QAction(aboutText, this);
        about->setShortcut(QKeySequence::HelpContents);
        connect(about, &QAction::triggered, this, [this] { systemCommand(idAboutCommand); });
        addAction(about);
        setContextMenuPolicy(Qt::ActionsContextMenu);
    }

    editor_ = std::make_unique<core::CRandomEditor>(prompts_, std::move(options));
    editor_->setProgressView(&progress_);
}

CVKRandomDlg::~CVKRandomDlg() = default;

void CVKRandomDlg::createControls() {
    TemplateLayout layout(this);
    // Creation order is the tab order; the radio group runs from 1027 up to the list.
    closeButton_ = pushButton(this, QStringLiteral("閉じる"));
    layout.place(closeButton_, 255, 312, 50, 20);
    choices_ = new QButtonGroup(this);
    for (int j = 0; j <= core::maxShownChoices; ++j) {
        auto* radio = new RadioButton(this);
        layout.place(radio, 167, j == 0 ? 17 : 34 + 17 * (j - 1), 150, 12);
        radio->setFocusPolicy(Qt::ClickFocus);
        radio->setVisible(j == 0);
        choices_->addButton(radio, j);
        radios_[static_cast<std::size_t>(j)] = radio;
    }
    radios_[0]->setText(QStringLiteral("ランダム(標準)"));
    exportButton_ = pushButton(this, QStringLiteral("書出し"));
    layout.place(exportButton_, 181, 287, 50, 20);
    executeButton_ = pushButton(this, QStringLiteral("実行"));
    layout.place(executeButton_, 255, 287, 50, 20);
    settingsButton_ = pushButton(this, QStringLiteral("設定"));
    layout.place(settingsButton_, 181, 312, 50, 20);
    exportButton_->setEnabled(false);
    executeButton_->setEnabled(false);

    list_ = new LineList(this);
    layout.place(list_, 15, 12, 135, 320, false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setUniformItemSizes(true);

    fileName_ = new QLabel(this);
    layout.place(fileName_, 179, 269, 126, 12, false);
    fileName_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fileName_->setTextFormat(Qt::PlainText);
    layout.finish(331, 347);

    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(exportButton_, &QPushButton::clicked, this, [this] {
        choice_ = checkedChoice();
        command([this] { editor_->exportChoice(choice_); });
    });
    auto execute = [this] { command([this] { editor_->executeSelected(); }); };
    connect(executeButton_, &QPushButton::clicked, this, execute);
    connect(list_, &QListWidget::itemDoubleClicked, this, execute);
    connect(settingsButton_, &QPushButton::clicked, this,
            [this] { command([this] { editor_->applySettings(*this); }); });
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { command([this] { editor_->selectEntry(*this); }); });
}

template <typename F>
void CVKRandomDlg::command(F&& operation) {
    editor_->run(std::forward<F>(operation));
}

void CVKRandomDlg::setVisible(bool visible) {
    // The first show is the dialog's initialisation: the controls exist, the window is not
    // on screen yet, and start-up may already ask the user something.
    if (visible && !initialised_) {
        initialised_ = true;
        initDialog();
    }
    QDialog::setVisible(visible);
}

void CVKRandomDlg::initDialog() {
    choice_ = -1;
    command([this] { editor_->startUp(*this); });
    closeButton_->setFocus();
}

bool CVKRandomDlg::systemCommand(int id) {
    if ((id & 0xFFF0) != idAboutCommand) return false;
    CAboutDlg about(this);
    runner_.run(about);
    return true;
}

void CVKRandomDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & ~Qt::KeypadModifier) break;
            // A button with the focus acts as the default button; elsewhere Enter is OK.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                choice_ = checkedChoice();
                accept();
            }
            return;
        case Qt::Key_F1:
            systemCommand(idAboutCommand);
            return;
        default:
            break;
    }
    QDialog::keyPressEvent(event);
}

void CVKRandomDlg::closeEvent(QCloseEvent* event) {
    // The close box still reaches the window while a card transfer holds the one thread; the
    // window stays until the operation it runs has returned.
    if (editor_->busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

int CVKRandomDlg::checkedChoice() const {
    return choices_->checkedId();
}

QWidget* CVKRandomDlg::control(int id) const {
    if (id >= core::idRadioRandom && id <= core::idRadioLast)
        return radios_[static_cast<std::size_t>(id - core::idRadioRandom)];
    switch (id) {
        case core::idListBox:
            return list_;
        case core::idFileNameText:
            return fileName_;
        case core::idExportButton:
            return exportButton_;
        case core::idExecuteButton:
            return executeButton_;
        case core::idSettingsButton:
            return settingsButton_;
        case core::idCloseButton:
            return closeButton_;
        default:
            return nullptr;
    }
}

void CVKRandomDlg::clearList() {
    const QSignalBlocker quiet(list_);  // clearing is no user selection
    list_->clear();
}

void CVKRandomDlg::appendLine(const std::string& cp932Text) {
    auto* item = new QListWidgetItem(fromCp932(cp932Text));
    // The session finds the entry by its exact bytes, so they travel with the line.
    item->setData(Qt::UserRole,
                  QByteArray(cp932Text.data(), static_cast<qsizetype>(cp932Text.size())));
    list_->addItem(item);
}

int CVKRandomDlg::selectedLine() const {
    const auto selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.front());
}

std::string CVKRandomDlg::selectedLineText() const {
    const auto selected = list_->selectedItems();
    return selected.isEmpty() ? std::string()
                              : selected.front()->data(Qt::UserRole).toByteArray().toStdString();
}

void CVKRandomDlg::setControlText(int id, const std::string& cp932Text) {
    if (id == core::idFileNameText)
        fileName_->setText(fromCp932(cp932Text));
    else if (auto* radio = qobject_cast<QRadioButton*>(control(id)))
        radio->setText(fromCp932(cp932Text));
}

void CVKRandomDlg::setChecked(int id, bool checked) {
    auto* radio = qobject_cast<QRadioButton*>(control(id));
    if (!radio || radio->isChecked() == checked) return;
    // An exclusive group refuses to uncheck its checked button, so lift the rule meanwhile.
    choices_->setExclusive(checked);
    radio->setChecked(checked);
    choices_->setExclusive(true);
}

void CVKRandomDlg::setShown(int id, bool shown) {
    if (auto* radio = qobject_cast<QRadioButton*>(control(id))) radio->setVisible(shown);
}

void CVKRandomDlg::setEnabled(int id, bool enabled) {
    if (auto* widget = control(id)) widget->setEnabled(enabled);
}

void CVKRandomDlg::requestClose() {
    // Posted, as a close request is: the window ends once the running operation returns.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

}  // namespace app
