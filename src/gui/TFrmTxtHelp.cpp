#include "gui/TFrmTxtHelp.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/resources.h"
#include "gui/GuiSupport.h"

namespace hj::gui {
namespace {

// A page of help text compiled into the program; a plain notice when it is missing.
QString helpText(const char* resource) {
    const std::string_view bytes = embeddedResource(resource);
    if (bytes.empty()) return QStringLiteral("帮助文本未找到：%1").arg(QLatin1String(resource));
    QString s = qs(bytes);
    s.remove(QLatin1Char('\r'));
    return s;
}

QPlainTextEdit* page(QWidget* sheet, const QString& text) {
    auto* memo = new QPlainTextEdit(sheet);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setPlainText(text);
    auto* l = new QVBoxLayout(sheet);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(memo);
    return memo;
}

}  // namespace

TFrmTxtHelp::TFrmTxtHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmTxtHelp"));
    setWindowTitle(QStringLiteral("软件帮助"));
    QFont f;
    f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
                   QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(14);
    setFont(f);

    PageControl1 = new QTabWidget(this);
    TabSheet2 = new QWidget;
    TabSheet4 = new QWidget;
    Memo1 = page(TabSheet2, helpText("texts/help_usage.txt"));
    Memo2 = page(TabSheet4, helpText("texts/help_history.txt"));
    PageControl1->addTab(TabSheet2, style()->standardIcon(QStyle::SP_FileDialogInfoView), QStringLiteral("使用说明"));
    PageControl1->addTab(TabSheet4, style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("升级改进历史"));
    for (auto [w, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {PageControl1, "PageControl1"}, {TabSheet2, "TabSheet2"}, {TabSheet4, "TabSheet4"}, {Memo1, "Memo1"},
             {Memo2, "Memo2"}})
        w->setObjectName(QLatin1String(name));

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(PageControl1);
    resize(702, 662);
}

void TFrmTxtHelp::run(QWidget* parent) {
    TFrmTxtHelp dlg(parent);
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        // At a large scale factor the usual size is taller than the screen: the title bar and
        // the lower edge would be out of reach.
        dlg.resize(dlg.size().boundedTo(screen->availableGeometry().size() * 0.92));
        QRect frame = dlg.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        dlg.move(frame.topLeft());
    }
    dlg.exec();
}

}  // namespace hj::gui
