// Runs every Qt Test class of the GUI suite in one QApplication.
#include <QApplication>
#include <QTest>

#include "gadget/app/fonts.h"
#include "gui_suites.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  tv::InstallFontSubstitutions();
  int failed = 0;
  for (QObject* suite : tv::testing::GuiSuites()) {
    failed += QTest::qExec(suite, argc, argv);
    delete suite;
  }
  return failed == 0 ? 0 : 1;
}
