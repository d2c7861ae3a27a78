#include "app/qt/message_box.h"

#include <QFontMetricsF>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <cmath>

namespace app {

namespace {

bool isWordChar(QChar c) {
    return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == '.' || c == '_' || c == '-');
}

// Whether a line may end before `line[i]`.
bool canBreakBefore(const QString& line, qsizetype i) {
    static const QString noLineStart = QStringLiteral(
        "、。，．・：；？！ー―）」』】〕］｝〉》),.:;!?]}ぁぃぅぇぉっゃゅょァィゥェォッャュョ");
    static const QString noLineEnd = QStringLiteral("（「『【〔［｛〈《([{");
    const QChar before = line[i - 1], at = line[i];
    if (noLineStart.contains(at) || noLineEnd.contains(before)) return false;
    return !(isWordChar(before) && isWordChar(at));
}

// Breaks one line into the fewest lines of at most `limit`, all about the same width.
QStringList balance(const QString& line, const QFontMetricsF& metrics, double limit) {
    const double total = metrics.horizontalAdvance(line);
    if (total <= limit || line.size() < 2) return {line};
    const int count = static_cast<int>(std::ceil(total / limit));
    const double target = total / count;
    QStringList lines;
    qsizetype start = 0;
    while (start < line.size()) {
        if (lines.size() == count - 1 ||
            metrics.horizontalAdvance(line.mid(start)) <= target * 1.05) {
            lines << line.mid(start);
            break;
        }
        // The allowed break whose line width comes nearest the target without passing the limit.
        qsizetype best = -1;
        double bestMiss = 0;
        for (qsizetype end = start + 1; end < line.size(); ++end) {
            const double width = metrics.horizontalAdvance(line.mid(start, end - start));
            if (width > limit) break;
            if (!canBreakBefore(line, end)) continue;
            const double miss = std::abs(width - target);
            if (best < 0 || miss < bestMiss) best = end, bestMiss = miss;
        }
        if (best < 0) best = start + 1;
        lines << line.mid(start, best - start).trimmed();
        start = best;
        while (start < line.size() && line[start] == ' ') ++start;
    }
    return lines;
}

}  // namespace

QString wrapMessage(const QString& text, const QFontMetricsF& metrics, double comfortable,
                    double widest) {
    const QStringList own = text.split('\n');
    const double limit = own.size() > 1 ? widest : std::min(comfortable, widest);
    QStringList lines;
    for (const QString& line : own) lines << balance(line, metrics, limit);
    return lines.join('\n');
}

MessageBox::MessageBox(Icon icon, const QString& title, const QString& text, QWidget* parent)
    : QMessageBox(icon, title, text, QMessageBox::Ok, parent), shown_(new QLabel(this)) {
    setTextFormat(Qt::PlainText);
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!grid || !label) {  // another Qt: its own wrapping
        shown_->hide();
        return;
    }
    int row, column, rows, columns;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
    shown_->setTextFormat(Qt::PlainText);
    shown_->setTextInteractionFlags(label->textInteractionFlags());
    shown_->setContentsMargins(label->contentsMargins());
    shown_->setAlignment(label->alignment());
    grid->addWidget(shown_, row, column, rows, columns);
    label->hide();
}

void MessageBox::showEvent(QShowEvent* event) {
    if (shown_->parentWidget() && !shown_->isHidden()) {
        const QFontMetricsF metrics(shown_->font());
        const double em = metrics.horizontalAdvance(QChar(0x3042));
        shown_->clear();
        layout()->activate();
        const int chrome = layout()->totalMinimumSize().width();
        // QMessageBox squeezes a box wider than this, its own limit, whatever the text.
        const int screenWidth = screen()->geometry().width();
        const int qtLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
        const double widest =
            std::min(screen()->availableGeometry().width() - 4 * em, double(qtLimit)) - chrome;
        shown_->setText(wrapMessage(text(), metrics, 30 * em, widest));
    }
    QMessageBox::showEvent(event);  // sizes the box and centres it on its owner or the screen
}

}  // namespace app
