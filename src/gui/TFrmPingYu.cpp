#include "gui/TFrmPingYu.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "core/presentation/commentary.h"
#include "core/text/ini.h"
#include "gui/GuiSupport.h"
#include "gui/OnTopGuard.h"

namespace hj::gui {

TFrmPingYu::TFrmPingYu(const QString& datDir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), datDir_(datDir) {
    setObjectName(QStringLiteral("FrmPingYu"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("八字断语"));
    new OnTopGuard(this);
    Label1 = new QLabel(QStringLiteral("分类"), this);
    lstsel = new QListWidget(this);
    Memlst = new QPlainTextEdit(this);
    Memlst->setReadOnly(true);
    Memlst->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Label1->setBuddy(lstsel);
    Label1->setObjectName(QStringLiteral("Label1"));
    lstsel->setObjectName(QStringLiteral("lstsel"));
    Memlst->setObjectName(QStringLiteral("Memlst"));
    lstsel->setMaximumWidth(lstsel->fontMetrics().horizontalAdvance(QStringLiteral("僧佛艺术")) + 40);

    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addWidget(lstsel, 1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addWidget(Memlst, 1);
    resize(520, 360);

    connect(lstsel, &QListWidget::currentRowChanged, this, &TFrmPingYu::lstselClick);
    FormCreate();
}

QString TFrmPingYu::dataPath() const { return datDir_ + QStringLiteral("/bzpingyu.dat"); }

void TFrmPingYu::FormCreate() {
    if (!QFileInfo::exists(dataPath())) return;
    for (std::string_view topic : presentation::kCommentaryTopics) lstsel->addItem(qs(topic));
    lstsel->setCurrentRow(0);
}

void TFrmPingYu::lstselClick() {
    const QListWidgetItem* item = lstsel->currentItem();
    if (!item) return;
    // Read afresh at every choice: the file may be edited while the viewer is open.
    text::IniFile file(u8(dataPath()));
    file.reload();
    Memlst->setPlainText(qs(presentation::commentaryText(file, u8(item->text()))));
}

}  // namespace hj::gui
