#include "gui/TFrmWnl.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "gui/GuiSupport.h"
#include "gui/ScriptDisplay.h"

namespace hj::gui {
namespace {

QColor colourOf(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// The grid's face: 宋体 where it exists, else a CJK face the system has.
QFont gridFont(int pointSize) {
    QFont f;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Noto Sans CJK SC")});
    f.setPointSize(pointSize);
    return f;
}

// Memo texts keep "\r\n" in the engine; a text box wants plain line ends.
QString memoText(const std::string& s) { return qs(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

QComboBox* numberList(QWidget* parent, const char* name, int from, int to, const QString& unit) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    for (int i = from; i <= to; ++i) c->addItem(QString::number(i) + unit);
    c->setMaxVisibleItems(16);
    return c;
}

}  // namespace

// ---- MonthGrid ----

MonthGrid::MonthGrid(QWidget* parent) : QWidget(parent) {
    setMinimumSize(7 * 56, 7 * 44);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MonthGrid::setPage(const MonthPage* page) {
    page_ = page;
    update();
}

QRect MonthGrid::cellRect(int row, int column) const {
    const int w = width() / 7, h = height() / 7;
    return {column * w, row * h, w, h};
}

QPoint MonthGrid::cellAt(QPoint p) const {
    const int w = std::max(1, width() / 7), h = std::max(1, height() / 7);
    return {p.x() / w, p.y() / h};  // x = column, y = row
}

void MonthGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width() / 7, h = height() / 7;
    painter.fillRect(rect(), colourOf(kPageBackground));
    painter.setPen(colourOf(kGridLines));
    for (int i = 1; i < 7; ++i) {
        painter.drawLine(i * w, 0, i * w, height());
        painter.drawLine(0, i * h, width(), i * h);
    }
    if (!page_) return;

    for (int c = 0; c < 7; ++c) {
        const HeaderCell& head = page_->header[static_cast<std::size_t>(c)];
        painter.setFont(gridFont(head.pointSize));
        painter.setPen(colourOf(head.colour));
        painter.drawText(cellRect(0, c), Qt::AlignCenter, shownText(qs(head.text)));
    }
    for (const DayCell& cell : page_->cells) {
        const QRect r = cellRect(cell.row, cell.column);
        const QRect upper(r.left(), r.top(), r.width(), r.height() / 2);
        const QRect lower(r.left(), r.top() + r.height() / 2, r.width(), r.height() - r.height() / 2);
        painter.setFont(gridFont(cell.upperSize));
        painter.setPen(colourOf(cell.upperColour));
        painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, shownText(qs(cell.upper)));
        painter.setFont(gridFont(cell.lowerSize));
        painter.setPen(colourOf(kLunarColour));
        painter.drawText(lower, Qt::AlignHCenter | Qt::AlignVCenter, shownText(qs(cell.lower)));
        if (cell.selected) {
            QPen pen(colourOf(kSelectionFrame));
            pen.setStyle(Qt::DashLine);
            pen.setWidth(2);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(r.adjusted(3, 3, -3, -3), 6, 6);
        }
    }
}

void MonthGrid::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint cell = cellAt(e->position().toPoint());
    if (cell.x() < 7 && cell.y() < 7) emit cellClicked(cell.y(), cell.x());
}

// ---- TFrmWnl ----

TFrmWnl::TFrmWnl(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FrmWnl"));
    setWindowTitle(QStringLiteral("墨衡万年历"));

    EdtYear = new QLineEdit(QStringLiteral("1900"), this);
    EdtYear->setObjectName(QStringLiteral("EdtYear"));
    EdtYear->setMaxLength(5);
    EdtYear->setFixedWidth(EdtYear->fontMetrics().horizontalAdvance(QStringLiteral("-00000")) + 16);
    UdYear = new UpDown(this);
    UdYear->setObjectName(QStringLiteral("UdYear"));
    UdYear->setRange(kFirstShownYear + 1, kLastShownYear);
    UdYear->setPosition(1900);
    cbom = numberList(this, "cbom", 1, 12, QStringLiteral("月"));
    cbod = numberList(this, "cbod", 1, 31, QStringLiteral("日"));
    cbos = numberList(this, "cbos", 0, 23, QStringLiteral("时"));
    cbomin = numberList(this, "cbomin", 0, 59, QStringLiteral("分"));

    ImgMonth = new MonthGrid(this);
    ImgMonth->setObjectName(QStringLiteral("ImgMonth"));
    LblTitle = new QLabel(this);
    LblTitle->setObjectName(QStringLiteral("LblTitle"));
    QFont titleFont = LblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    LblTitle->setFont(titleFont);
    LblTitle->setAlignment(Qt::AlignCenter);
    LblEra = new QLabel(this);
    LblEra->setObjectName(QStringLiteral("LblEra"));
    LblEra->setWordWrap(true);
    LblEra->setAlignment(Qt::AlignCenter);
    MemoBazi = new QPlainTextEdit(this);
    MemoBazi->setObjectName(QStringLiteral("MemoBazi"));
    MemoJieqi = new QPlainTextEdit(this);
    MemoJieqi->setObjectName(QStringLiteral("MemoJieqi"));
    for (QPlainTextEdit* m : {MemoBazi, MemoJieqi}) {
        m->setReadOnly(true);
        m->setFixedWidth(170);
    }
    QFont pillarFont = MemoBazi->font();
    pillarFont.setPointSize(pillarFont.pointSize() + 4);
    MemoBazi->setFont(pillarFont);
    MemoBazi->setFixedHeight(MemoBazi->fontMetrics().lineSpacing() * 4 + 16);

    BtnPrev = new QPushButton(QStringLiteral("上一月"), this);
    BtnPrev->setObjectName(QStringLiteral("BtnPrev"));
    BtnNext = new QPushButton(QStringLiteral("下一月"), this);
    BtnNext->setObjectName(QStringLiteral("BtnNext"));
    BtnNow = new QPushButton(QStringLiteral("当前时间"), this);
    BtnNow->setObjectName(QStringLiteral("BtnNow"));
    BtnPai = new QPushButton(QStringLiteral("本命盘"), this);
    BtnPai->setObjectName(QStringLiteral("BtnPai"));

    auto* inputs = new QHBoxLayout;
    inputs->addWidget(new QLabel(QStringLiteral("公历"), this));
    inputs->addWidget(EdtYear);
    inputs->addWidget(UdYear);
    inputs->addWidget(new QLabel(QStringLiteral("年"), this));
    for (QComboBox* c : {cbom, cbod, cbos, cbomin}) inputs->addWidget(c);
    inputs->addStretch(1);

    auto* panel = new QVBoxLayout;
    panel->addWidget(LblTitle);
    panel->addWidget(LblEra);
    panel->addWidget(new QLabel(QStringLiteral("四柱"), this));
    panel->addWidget(MemoBazi);
    panel->addWidget(new QLabel(QStringLiteral("本月节气"), this));
    panel->addWidget(MemoJieqi, 1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(ImgMonth, 1);
    middle->addLayout(panel);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnPrev, BtnNext, BtnNow}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(BtnPai);

    auto* root = new QVBoxLayout(this);
    root->addLayout(inputs);
    root->addLayout(middle, 1);
    root->addLayout(buttons);
    LblEra->setMaximumWidth(MemoBazi->width());

    for (QComboBox* c : {cbom, cbod, cbos, cbomin})
        connect(c, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) drawMonth();
        });
    connect(UdYear, &UpDown::clicked, this, &TFrmWnl::UdYearClick);
    connect(EdtYear, &QLineEdit::returnPressed, this, &TFrmWnl::EdtYearReturn);
    connect(BtnPrev, &QPushButton::clicked, this, &TFrmWnl::BtnPrevClick);
    connect(BtnNext, &QPushButton::clicked, this, &TFrmWnl::BtnNextClick);
    connect(BtnNow, &QPushButton::clicked, this, &TFrmWnl::BtnNowClick);
    connect(BtnPai, &QPushButton::clicked, this, &TFrmWnl::BtnPaiClick);
    connect(ImgMonth, &MonthGrid::cellClicked, this, &TFrmWnl::gridClicked);
}

void TFrmWnl::setMoment(int shownYear, int month, int day, int hour, int minute) {
    filling_ = true;
    EdtYear->setText(QString::number(shownYear));
    UdYear->setPosition(astronomicalYear(shownYear));
    cbom->setCurrentIndex(std::clamp(month, 1, 12) - 1);
    cbod->setCurrentIndex(std::clamp(day, 1, 31) - 1);
    cbos->setCurrentIndex(std::clamp(hour, 0, 23));
    cbomin->setCurrentIndex(std::clamp(minute, 0, 59));
    filling_ = false;
}

void TFrmWnl::showCalendar(const DateTime& shownMoment) {
    setMoment(shownMoment.year, shownMoment.month, openingDay(shownMoment.year, shownMoment.month, shownMoment.day),
              shownMoment.hour, shownMoment.minute);
    drawMonth();
    if (!placed_) {
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void TFrmWnl::drawMonth() {
    MonthPage next;
    if (!builder_.build(shownYearOf(u8(EdtYear->text())), cbom->currentIndex() + 1, cbod->currentIndex() + 1,
                        cbos->currentIndex(), cbomin->currentIndex(), next)) {
        message(this, qs(builder_.lastError()), qs(builder_.errorTitle()), QMessageBox::Critical);
        return;  // the previous picture stays
    }
    page_ = std::move(next);
    havePage_ = true;
    ImgMonth->setPage(&page_);
    LblTitle->setText(qs(page_.title));
    LblEra->setText(qs(page_.eraLine));
    MemoBazi->setPlainText(memoText(page_.pillarText));
    MemoJieqi->setPlainText(memoText(page_.termText));
}

void TFrmWnl::UdYearClick() {
    EdtYear->setText(QString::number(displayYear(UdYear->position())));
    drawMonth();
}

void TFrmWnl::EdtYearReturn() {
    const int shown = shownYearOf(u8(EdtYear->text()));
    if (!shownYearAccepted(shown)) {
        message(this, QStringLiteral("年份在-4713 到 9999之间"), QStringLiteral("错误"), QMessageBox::Critical);
        EdtYear->setFocus();
        return;
    }
    UdYear->setPosition(astronomicalYear(shown));
    drawMonth();
}

void TFrmWnl::BtnPrevClick() {
    int year = shownYearOf(u8(EdtYear->text())), month = cbom->currentIndex() + 1;
    if (!shownYearAccepted(year)) return drawMonth();  // says what is wrong with the year
    if (!previousMonth(year, month)) return;
    setMoment(year, month, 1, cbos->currentIndex(), cbomin->currentIndex());
    drawMonth();
}

void TFrmWnl::BtnNextClick() {
    int year = shownYearOf(u8(EdtYear->text())), month = cbom->currentIndex() + 1;
    if (!shownYearAccepted(year)) return drawMonth();
    if (!nextMonth(year, month)) return;
    setMoment(year, month, 1, cbos->currentIndex(), cbomin->currentIndex());
    drawMonth();
}

void TFrmWnl::BtnNowClick() {
    const QDateTime now = QDateTime::currentDateTime();
    if (!shownYearAccepted(now.date().year())) return;
    setMoment(now.date().year(), now.date().month(), now.date().day(), now.time().hour(), now.time().minute());
    drawMonth();
}

void TFrmWnl::gridClicked(int row, int column) {
    if (!havePage_) return;
    const int day = dayAtCell(page_, row, column);
    if (day == 0) return;
    filling_ = true;
    cbod->setCurrentIndex(day - 1);
    filling_ = false;
    drawMonth();
}

void TFrmWnl::BtnPaiClick() {
    // Only a moment the calendar can show goes to the chart; otherwise say why and stay.
    MonthPage check;
    if (!builder_.build(shownYearOf(u8(EdtYear->text())), cbom->currentIndex() + 1, cbod->currentIndex() + 1,
                        cbos->currentIndex(), cbomin->currentIndex(), check)) {
        message(this, qs(builder_.lastError()), qs(builder_.errorTitle()), QMessageBox::Critical);
        return;
    }
    hide();
    emit chartRequested(check.moment);
}

}  // namespace hj::gui
