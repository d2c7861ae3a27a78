#include "app/qt/vkrandom_dlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <cmath>

#include "app/qt/about_dlg.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "platform/encoding.h"
#include "res/resource.h"

namespace app {

namespace {

QString fromCp932(const std::string& text) {
    return QString::fromStdString(platform::cp932ToUtf8Lossy(text));
}

constexpr int stateRole = Qt::UserRole + 1;

// A line of the list: the entry's name on the left, what its place holds on the right in a
// quieter colour; what does not fit is cut with "…" (the state keeps at least half the line).
class StateDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem line(option);
        initStyleOption(&line, index);
        const QString name = line.text, state = index.data(stateRole).toString();
        line.text.clear();
        const QStyle* style = line.widget ? line.widget->style() : nullptr;
        if (!style) return QStyledItemDelegate::paint(painter, option, index);
        style->drawControl(QStyle::CE_ItemViewItem, &line, painter, line.widget);
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &line, line.widget)
                               .adjusted(2, 0, -2, 0);
        const QFontMetrics metrics(line.font);
        // Whole pixels up: the widths of the glyphs are fractions, and a text cut to its own
        // rounded width would lose its last character.
        const auto width = [&](const QString& t) {
            return static_cast<int>(std::ceil(QFontMetricsF(line.font).horizontalAdvance(t)));
        };
        const int gap = width(QString(QChar(0x3000)));
        const int stateWidth =
            std::min(width(state), std::max(text.width() / 2, text.width() - gap - width(name)));
        const bool selected = line.state & QStyle::State_Selected;
        painter->save();
        painter->setFont(line.font);
        painter->setPen(line.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(
            text.adjusted(0, 0, -stateWidth - gap, 0), Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(name, Qt::ElideRight, text.width() - stateWidth - gap));
        if (!selected) painter->setPen(line.palette.color(QPalette::PlaceholderText));
        painter->drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                          metrics.elidedText(state, Qt::ElideRight, stateWidth));
        painter->restore();
    }
};

}  // namespace

CVKRandomDlg::CVKRandomDlg(core::EditorOptions options, DialogRunner& runner)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      runner_(runner),
      progress_(this),
      prompts_(this, runner),
      controls_(this, IDD_VKRANDOM_DIALOG) {
    setWindowIcon(programIcon());
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
    // No default button in the template: Enter ends the window unless a button has the focus.
    for (int j = 0; j <= core::maxShownChoices; ++j)
        radios_[static_cast<std::size_t>(j)] = controls_.get<QRadioButton>(core::idRadioRandom + j);
    choices_ = controls_.radioGroup(core::idRadioRandom);
    list_ = controls_.get<QListWidget>(core::idListBox);
    fileName_ = controls_.get<QLabel>(core::idFileNameText);
    closeButton_ = controls_.get<QPushButton>(core::idCloseButton);
    exportButton_ = controls_.get<QPushButton>(core::idExportButton);
    executeButton_ = controls_.get<QPushButton>(core::idExecuteButton);
    settingsButton_ = controls_.get<QPushButton>(core::idSettingsButton);

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
    list_->setItemDelegate(new StateDelegate(list_));
    connect(controls_.get<QPushButton>(core::idResetButton), &QPushButton::clicked, this,
            [this] { command([this] { editor_->resetAll(); }); });
    connect(controls_.get<QPushButton>(core::idUndoButton), &QPushButton::clicked, this,
            [this] { command([this] { editor_->undoLastChange(); }); });
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

void CVKRandomDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The states are read once the window is on screen: it appears as fast as without them,
    // and a card's transfers show their progress over it.
    if (!statesRead_) {
        statesRead_ = true;
        QTimer::singleShot(0, this, [this] { command([this] { editor_->showStates(*this); }); });
    }
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
    return controls_.control(id);
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

void CVKRandomDlg::setLineNote(int line, const std::string& utf8Text) {
    if (auto* item = list_->item(line)) {
        const QString state = QString::fromStdString(utf8Text);
        item->setData(stateRole, state);
        item->setToolTip(item->text() + QStringLiteral("：") + state);
    }
}

void CVKRandomDlg::setStatus(const std::string& utf8Text) {
    auto* status = controls_.get<QLabel>(core::idStatusText);
    const QString text = QString::fromStdString(utf8Text);
    status->setText(status->fontMetrics().elidedText(text, Qt::ElideMiddle, status->width()));
    status->setToolTip(text);
}

void CVKRandomDlg::requestClose() {
    // Posted, as a close request is: the window ends once the running operation returns.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

}  // namespace app
