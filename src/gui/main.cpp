// 衡鉴: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <string_view>

#include "core/platform/platform.h"
#include "core/platform/terminal.h"
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

// The per-user data folder as the user of this system would write it.
QString userDataFolderText() {
#ifdef _WIN32
    return QStringLiteral("%APPDATA%\\") + QString::fromStdString(hj::platform::userDataFolderName());
#else
    return QStringLiteral("~/.local/share/") + QString::fromStdString(hj::platform::userDataFolderName());
#endif
}

// Help, version and option errors, to the terminal the program was started from.
void writeToTerminal(const QString& text, std::FILE* stream = stdout) {
    const QByteArray bytes = text.toUtf8();
    hj::platform::writeToTerminal(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), stream == stderr);
}

// The toolkit's own options (-platform offscreen, -style fusion …) are the toolkit's business:
// they are left out of the early reading, which would take them for unknown short options.
QStringList withoutToolkitOptions(const QStringList& arguments) {
    static const QStringList withValue = {
        QStringLiteral("-platform"), QStringLiteral("-platformpluginpath"), QStringLiteral("-platformtheme"),
        QStringLiteral("-plugin"), QStringLiteral("-style"), QStringLiteral("-stylesheet"), QStringLiteral("-session"),
        QStringLiteral("-display"), QStringLiteral("-geometry"), QStringLiteral("-qwindowgeometry"),
        QStringLiteral("-qwindowtitle"), QStringLiteral("-qwindowicon"), QStringLiteral("-title"), QStringLiteral("-name"),
        QStringLiteral("-dialogs"), QStringLiteral("-visual")};
    static const QStringList flags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"), QStringLiteral("-nograb"),
                                      QStringLiteral("-dograb"), QStringLiteral("-sync")};
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const QString bare = a.section(QLatin1Char('='), 0, 0);
        if (i > 0 && withValue.contains(bare)) {
            if (!a.contains(QLatin1Char('='))) ++i;  // its value follows
            continue;
        }
        if (i > 0 && flags.contains(a)) continue;
        out << a;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    // The options and their help in the program's one language (the toolkit's own help and
    // errors would come half in English). Read before the window system is opened, so that
    // --help and --version answer without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser cmd;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本说明后退出"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("显示版本后退出"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("存放 dat/ 和 bazi_f/ 的数据文件夹（默认见“关于 衡鉴”）"),
                                     QStringLiteral("文件夹"));
    // For measuring start-up: the program ends as soon as its window has been shown.
    const QCommandLineOption quitWhenShown(QStringLiteral("quit-when-shown"), QStringLiteral("主窗口显示后即退出（测量启动时间用）"));
    for (const QCommandLineOption& o : {help, version, dataDir, quitWhenShown}) cmd.addOption(o);
    if (!cmd.parse(withoutToolkitOptions(arguments))) {
        const QStringList unknown = cmd.unknownOptionNames();
        writeToTerminal(QStringLiteral("hengjian: %1\n用法见 hengjian --help\n")
                            .arg(unknown.isEmpty() ? QStringLiteral("选项 --data-dir 需要一个文件夹")
                                                   : QStringLiteral("未知的选项：") + unknown.join(QStringLiteral("、"))),
                        stderr);
        return 1;
    }
    if (cmd.isSet(help)) {
        writeToTerminal(QStringLiteral("用法：hengjian [选项]\n衡鉴 %1：八字命理与三世相法\n\n选项：\n"
                                       "  -h, --help              显示本说明后退出\n"
                                       "  -v, --version           显示版本后退出\n"
                                       "  --data-dir <文件夹>     存放 dat/ 和 bazi_f/ 的数据文件夹；默认为程序所在文件夹，\n"
                                       "                          不可写时为 %2（也可用环境变量 HENGJIAN_HOME）\n"
                                       "  --quit-when-shown       主窗口显示后即退出（测量启动时间用）\n")
                            .arg(QStringLiteral(HJ_VERSION), userDataFolderText()));
        return 0;
    }
    if (cmd.isSet(version)) {
        writeToTerminal(QStringLiteral("hengjian %1\n").arg(QStringLiteral(HJ_VERSION)));
        return 0;
    }

    Application app(argc, argv);
    app.setApplicationName(QStringLiteral("hengjian"));
    // No display name: the toolkit would append it to every window title.
    app.setApplicationVersion(QStringLiteral(HJ_VERSION_SHORT));

    // The program speaks Chinese whatever the system's language: the toolkit's own dialogs
    // (files, fonts, colours, printing) should too, when their translations are installed.
    QTranslator qtText;
    if (qtText.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtText);

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
