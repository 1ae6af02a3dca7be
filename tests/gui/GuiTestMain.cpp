// The window tests' one program: `gui_tests CLASS [QTest options]` runs one registered test
// class (ctest runs each in a process of its own); with no class every one runs in turn.
#include <QApplication>
#include <QTest>

#include "GuiTestMain.h"

namespace hjtest {

std::vector<RegisteredTest>& registeredTests() {
    static std::vector<RegisteredTest> tests;
    return tests;
}

bool registerTest(const char* name, int (*run)(int, char**)) {
    registeredTests().push_back({name, run});
    return true;
}

}  // namespace hjtest

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);  // as QTEST_MAIN sets it
    QString wanted;
    std::vector<char*> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (wanted.isEmpty() && i == 1 && argv[i][0] != '-') wanted = QString::fromLocal8Bit(argv[i]);
        else args.push_back(argv[i]);
    }
    int failed = 0;
    bool found = false;
    for (const hjtest::RegisteredTest& t : hjtest::registeredTests()) {
        if (!wanted.isEmpty() && wanted != QLatin1String(t.name)) continue;
        found = true;
        failed += t.run(static_cast<int>(args.size()), args.data());
    }
    if (!found) {
        qCritical("gui_tests: no test class %s", qPrintable(wanted));
        return 2;
    }
    return failed;
}
