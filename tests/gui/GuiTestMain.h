#pragma once
// Registration of the window test classes in the one test program (GuiTestMain.cpp): a test
// file ends with HJ_GUI_TEST(TestClass) where a stand-alone program would have QTEST_MAIN.
#include <QTest>
#include <vector>

namespace hjtest {

struct RegisteredTest {
    const char* name;
    int (*run)(int argc, char** argv);
};
std::vector<RegisteredTest>& registeredTests();
bool registerTest(const char* name, int (*run)(int, char**));

}  // namespace hjtest

#define HJ_GUI_TEST(TestClass)                                                                  \
    [[maybe_unused]] static const bool hjRegistered##TestClass = hjtest::registerTest(#TestClass, [](int argc, char** argv) { \
        TestClass test;                                                                         \
        return QTest::qExec(&test, argc, argv);                                                 \
    });
