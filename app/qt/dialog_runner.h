// Runs the program's modal dialogs and boxes. The program uses exec(); the GUI tests put a
// runner of their own in its place that answers each dialog at once.
#pragma once

class QDialog;

namespace app {

class DialogRunner {
  public:
    virtual ~DialogRunner() = default;
    // Runs `dialog` modally and returns its result code (QDialog::Accepted or Rejected).
    virtual int run(QDialog& dialog);

    static DialogRunner& modal();
};

}  // namespace app
