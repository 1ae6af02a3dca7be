#include "gui/GuiSupport.h"

#include <QToolTip>

#include <QApplication>
#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/calendar/datetime.h"
#include "core/presentation/month_page.h"
#include "core/text/gbk.h"

namespace hj::gui {

void installFontSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    const QStringList installed = QFontDatabase::families();
    const QString song = QStringLiteral("宋体");
    if (installed.contains(song) || installed.contains(QStringLiteral("SimSun"))) {
        QFont::insertSubstitution(song, QStringLiteral("SimSun"));
        return;
    }
    QStringList subs;
    for (const char* f : {"NSimSun", "WenQuanYi Micro Hei Mono", "Noto Sans Mono CJK SC", "Noto Serif CJK SC",
                          "AR PL UMing CN", "WenQuanYi Zen Hei Mono", "Sarasa Mono SC"})
        if (installed.contains(QLatin1String(f))) subs << QLatin1String(f);
    if (!subs.isEmpty()) QFont::insertSubstitutions(song, subs);
}

QString appTitle() { return QStringLiteral("衡鉴 2.1"); }

QScrollArea* scrolled(QWidget* w, QSize minimum, const char* name) {
    auto* area = new QScrollArea;
    area->setObjectName(QLatin1String(name));
    w->setMinimumSize(minimum);
    area->setWidget(w);
    area->setWidgetResizable(true);
    return area;
}

void fitTitle(QMessageBox& box) {
    // The window manager writes the title in its own, often larger, font beside its buttons; a
    // box sized for its text alone gets a cut title.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int need = box.fontMetrics().horizontalAdvance(box.windowTitle()) * 2 + 160;
    grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons, const QString& detail) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!detail.isEmpty()) box.setInformativeText(detail);
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("是(&Y)"));
    if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("否(&N)"));
    if (auto* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("确定"));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("取消"));
    fitTitle(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool askYesNo(QWidget* parent, const QString& text, const QString& title, QMessageBox::Icon icon) {
    return message(parent, text, title, icon, QMessageBox::Yes | QMessageBox::No) != QMessageBox::No;
}

// ---- UpDown ----

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    for (auto* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(18);
        lay->addWidget(b);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    setFocusPolicy(Qt::NoFocus);
}

void UpDown::setRange(int lo, int hi) {
    lo_ = lo;
    hi_ = hi;
    setPosition(pos_);
}

void UpDown::setPosition(int p) { pos_ = std::clamp(p, lo_, hi_); }

void UpDown::step(int delta) {
    if (checking_) return;  // an arrow held down repeats while the refusal is on screen
    if (check_) {
        checking_ = true;
        const bool ok = check_();
        checking_ = false;
        if (!ok) {
            up_->setDown(false);
            down_->setDown(false);
            return;
        }
    }
    setPosition(pos_ + delta);
    emit clicked();
}

void UpDown::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Up) step(1);
    else if (e->key() == Qt::Key_Down) step(-1);
    else QWidget::keyPressEvent(e);
}

void UpDown::wheelEvent(QWheelEvent* e) {
    const int d = e->angleDelta().y();
    if (d != 0) step(d > 0 ? 1 : -1);
    e->accept();
}

void bindYearField(QLineEdit* edit, UpDown* updown, std::function<bool(int)> accepted, std::function<void()> refuse) {
    updown->setStepCheck([edit, updown, accepted = std::move(accepted), refuse = std::move(refuse)] {
        const int shown = shownYearOf(edit->text().toStdString());
        if (!accepted(shown)) {
            refuse();
            edit->setFocus();
            edit->selectAll();
            return false;
        }
        updown->setPosition(astronomicalYear(shown));
        return true;
    });
}

// ---- RadioGroup ----

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
    auto* lay = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* r = new QRadioButton(items[i], this);
        r->setObjectName(QStringLiteral("item%1").arg(i));
        group_->addButton(r, i);
        lay->addWidget(r);
    }
}

int RadioGroup::itemIndex() const { return group_->checkedId(); }

void RadioGroup::setItemIndex(int i) {
    if (auto* b = group_->button(i)) b->setChecked(true);
}

// ---- FlowLayout ----

FlowLayout::FlowLayout(QWidget* parent, int hSpacing, int vSpacing)
    : QLayout(parent), hSpacing_(hSpacing), vSpacing_(vSpacing) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }
int FlowLayout::count() const { return static_cast<int>(items_.size()); }
QLayoutItem* FlowLayout::itemAt(int index) const { return items_.value(index); }
QLayoutItem* FlowLayout::takeAt(int index) {
    return (index >= 0 && index < items_.size()) ? items_.takeAt(index) : nullptr;
}

QSize FlowLayout::sizeHint() const {
    // Preferred: everything on one row.
    int w = 0, h = 0;
    for (const QLayoutItem* item : items_) {
        const QSize s = item->sizeHint();
        w += s.width() + (w > 0 ? hSpacing_ : 0);
        h = std::max(h, s.height());
    }
    const QMargins m = contentsMargins();
    return {w + m.left() + m.right(), h + m.top() + m.bottom()};
}

QSize FlowLayout::minimumSize() const {
    QSize s;
    for (const QLayoutItem* item : items_) s = s.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return s + QSize(m.left() + m.right(), m.top() + m.bottom());
}

int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const {
    const QMargins m = contentsMargins();
    const QRect area = rect.marginsRemoved(m);
    int x = area.x(), y = area.y(), rowHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize s = item->sizeHint();
        if (x > area.x() && x + s.width() > area.right() + 1) {
            x = area.x();
            y += rowHeight + vSpacing_;
            rowHeight = 0;
        }
        if (apply) item->setGeometry(QRect(QPoint(x, y), s));
        x += s.width() + hSpacing_;
        rowHeight = std::max(rowHeight, s.height());
    }
    return y + rowHeight - rect.y() + m.bottom();
}

// ---- GbkLimitValidator ----

QValidator::State GbkLimitValidator::validate(QString& input, int& pos) const {
    std::string gbk;
    if (!text::utf8ToGbk(input.toStdString(), gbk)) return Invalid;
    if (static_cast<int>(gbk.size()) <= max_) return Acceptable;
    // Too long (a paste, mostly): keep what fits, on a whole character, and say so, rather than
    // refusing the whole paste without a word.
    input = qs(text::truncateGbk(u8(input), static_cast<std::size_t>(max_)));
    pos = std::min(pos, static_cast<int>(input.size()));
    if (auto* field = qobject_cast<QWidget*>(parent()))
        QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                           QStringLiteral("最多%1个字节（%2个汉字），多出的字已舍去").arg(max_).arg(max_ / 2), field);
    return Acceptable;
}

}  // namespace hj::gui
