// 衡鉴: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>

#include "core/text/data_folder.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmMain.h"
#include "core/version.h"

namespace {

// An error that reaches the event loop is shown and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        try {
            return QApplication::notify(receiver, e);
        } catch (const std::exception& ex) {
            hj::gui::message(activeWindow(), QString::fromUtf8(ex.what()), hj::gui::appTitle(), QMessageBox::Critical);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    app.setApplicationName(QStringLiteral("hengjian"));
    // No display name: the toolkit would append it to every window title.
    app.setApplicationVersion(QStringLiteral(HJ_VERSION_SHORT));

    // The program speaks Chinese whatever the system's language: the toolkit's own dialogs
    // (files, fonts, colours, printing) should too, when their translations are installed.
    QTranslator qtText;
    if (qtText.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtText);

    QCommandLineParser cmd;
    cmd.setApplicationDescription(QStringLiteral("衡鉴 2.1"));
    cmd.addHelpOption();
    cmd.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Folder holding dat/ and bazi_f/ (default: beside the program)."),
                                     QStringLiteral("DIR"));
    cmd.addOption(dataDir);
    // For measuring start-up: the program ends as soon as its window has been shown.
    const QCommandLineOption quitWhenShown(QStringLiteral("quit-when-shown"),
                                           QStringLiteral("Exit once the main window is shown (start-up timing)."));
    cmd.addOption(quitWhenShown);
    cmd.process(app);
    // An empty folder name would silently mean the program folder.
    if (cmd.isSet(dataDir) && cmd.value(dataDir).isEmpty()) {
        QMessageBox::critical(nullptr, hj::gui::appTitle(), QStringLiteral("数据文件夹不能为空"));
        return 1;
    }

    // The environment and the per-user folder come from the engine's platform layer.
    hj::text::DataFolderInputs in = hj::text::systemDataFolderInputs();
    in.explicitDir = cmd.value(dataDir).toStdString();
    in.programDir = QCoreApplication::applicationDirPath().toStdString();
    const std::string root = hj::text::chooseDataFolder(in);
    std::string error;
    if (!hj::text::prepareDataFolder(root, hj::text::defaultDataFolder(in.programDir), &error)) {
        hj::gui::message(nullptr, QString::fromStdString(error), hj::gui::appTitle(), QMessageBox::Critical);
        return 1;
    }

    try {
        hj::gui::TFrmMain w(QString::fromStdString(root));
        w.show();
        if (cmd.isSet(quitWhenShown)) QTimer::singleShot(0, &app, &QCoreApplication::quit);
        return app.exec();
    } catch (const std::exception& ex) {
        hj::gui::message(nullptr, QString::fromUtf8(ex.what()), hj::gui::appTitle(), QMessageBox::Critical);
        return 1;
    }
}
