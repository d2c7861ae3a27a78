// The program's message box: QMessageBox with the text laid out for reading. Qt wraps a long
// text at a fixed width, anywhere in a Japanese sentence, which leaves a word or two alone on
// the last line and breaks the lines a message sets itself; so the box shows the text in a
// label of its own, broken by wrapMessage, and Qt's label (which text() reads) stays hidden.
#pragma once

#include <QMessageBox>

class QFontMetricsF;
class QLabel;

namespace app {

class MessageBox : public QMessageBox {
  public:
    MessageBox(Icon icon, const QString& title, const QString& text, QWidget* parent);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLabel* shown_;
};

// `text` with line breaks added: a line the text sets itself stays whole while it is at most
// `widest` wide; a single-line text longer than `comfortable`, and any line wider than
// `widest`, is broken into lines of about equal width, never inside a Latin word or number
// nor before closing or after opening punctuation.
QString wrapMessage(const QString& text, const QFontMetricsF& metrics, double comfortable,
                    double widest);

}  // namespace app
