// The GUI tests: the real windows of the program, driven with mouse and keys.
#pragma once

#include <QObject>

class GuiTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();

    // main_window_test.cpp
    void startState();
    void selectExportAndReselect();
    void executeOverUsbAndItsFileError();
    void cardTransfersShowProgress();
    void enterAndEscapeEndTheWindow();
    void secondInstanceClosesAfterItsMessage();
    void startUpAsksForTheProgramFolder();

    // settings_test.cpp
    void executeFollowsTheConnectionType();  // also: OK without a change
    void changedProgramTypeReloadsTheList();
    void cancelKeepsOnlyTheChosenFolder();
    void settingsKeys();  // tab order, Enter on Cancel

    // shell_test.cpp
    void aboutBoxFromTheWindowMenu();
    void boxCaptionFollowsTheExecutableName();
    void screenshots();
};
