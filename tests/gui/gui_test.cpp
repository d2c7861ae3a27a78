#include "gui_test.h"

#include <QApplication>
#include <QTest>

#include "app/qt/vkrandom_app.h"

void GuiTest::initTestCase() {
    app::setUpApplication(*qApp);
}

QTEST_MAIN(GuiTest)
