#pragma once

#include <QObject>
#include <vector>

namespace tv::testing {

// One instance of each Qt Test class of the suite, in running order.
std::vector<QObject*> GuiSuites();
QObject* MakeWindowSuite();
QObject* MakeDesktopSuite();
QObject* MakePagesSuite();
QObject* MakeHistorySuite();

}  // namespace tv::testing
