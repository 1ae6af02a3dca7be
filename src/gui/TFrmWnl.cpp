#include "gui/TFrmWnl.h"

#include <QRegularExpression>

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "core/calendar/ical.h"
#include "core/traditional/conversion.h"
#include "core/text/ini.h"
#include "gui/CalendarDayInfo.h"
#include "gui/GuiSupport.h"
#include "gui/OnTopGuard.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {
namespace {

QColor colourOf(const Rgb& c) { return QColor(c.r, c.g, c.b); }

QFont gridFont(int pointSize) { return MonthGrid::cellFont(pointSize); }

// Memo texts keep "\r\n" in the engine; a text box wants plain line ends.
QString memoText(const std::string& s) { return qs(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// The era line breaks only between its words, at blanks and after "；": a word joiner between
// the characters of a word keeps "洪武1年" and "【鸡年】" whole on a narrow panel.
QString unbrokenWords(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        out += s[i];
        if (i + 1 < s.size() && !s[i].isSpace() && !s[i + 1].isSpace() && s[i] != QChar(0xFF1B)) out += QChar(0x2060);
    }
    return out;
}

QComboBox* numberList(QWidget* parent, const char* name, int from, int to, const QString& unit) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    for (int i = from; i <= to; ++i) c->addItem(QString::number(i) + unit);
    c->setMaxVisibleItems(16);
    return c;
}

}  // namespace

// ---- MonthGrid ----

QFont MonthGrid::cellFont(int pointSize) {
    QFont f;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Noto Sans CJK SC")});
    f.setPointSize(pointSize);
    return f;
}

QSize MonthGrid::minimumCell() {
    const auto width = [](int size, const char* text) {
        return QFontMetrics(gridFont(size)).horizontalAdvance(QString::fromUtf8(text));
    };
    // Lunar texts longer than ten bytes are drawn a point smaller.
    const int w = std::max({width(9, "十一月廿九"), width(8, "闰十一月廿九"), width(13, "星期三"), width(10, "31 小寒"),
                            width(14, "12月")});
    // The day sits at the bottom of the upper half and the lunar text in the middle of the lower.
    const int h = 2 * std::max(QFontMetrics(gridFont(14)).height(), QFontMetrics(gridFont(9)).height());
    return {w + 8, h + 4};
}

QSize MonthGrid::sizeHint() const {
    const QSize cell = minimumCell();
    return {7 * std::max(cell.width(), 76), 7 * std::max(cell.height(), 56)};
}

MonthGrid::MonthGrid(QWidget* parent) : QWidget(parent) {
    setMinimumSize(7 * minimumCell());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
}

void MonthGrid::setPage(const MonthPage* page) {
    page_ = page;
    update();
}

void MonthGrid::setMarks(std::vector<DayMark> marks) {
    marks_ = std::move(marks);
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
    if (hasFocus()) {
        QPen pen(colourOf(kGridLines));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(colourOf(kGridLines));
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
        if (cell.today) painter.fillRect(r.adjusted(1, 1, 0, 0), colourOf(kTodayBackground));
        painter.setFont(gridFont(cell.upperSize));
        painter.setPen(colourOf(cell.upperColour));
        painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, shownText(qs(cell.upper)));
        painter.setFont(gridFont(cell.lowerSize));
        painter.setPen(colourOf(cell.lowerColour));
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
    // The almanac's marks, small and in the corners, so the cells read as before: a green dot
    // on a 黄道 day, the name of a 伏 or a nine on its first day.
    const int dot = std::max(3, h / 14);
    for (const DayMark& m : marks_) {
        const DayCell* cell = nullptr;
        for (const DayCell& c : page_->cells)
            if (c.day == m.day) cell = &c;
        if (!cell) continue;
        const QRect r = cellRect(cell->row, cell->column).adjusted(3, 2, -3, -3);
        if (m.huangdao) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 150, 0));
            painter.drawEllipse(QRect(r.left() + 1, r.top() + 1, dot, dot));
            painter.setBrush(Qt::NoBrush);
        }
        if (!m.span.isEmpty()) {
            painter.setFont(gridFont(6));
            painter.setPen(QColor(120, 120, 120));
            painter.drawText(r, Qt::AlignRight | Qt::AlignTop, shownText(m.span));
        }
    }
}

void MonthGrid::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint cell = cellAt(e->position().toPoint());
    if (cell.x() < 7 && cell.y() < 7) emit cellClicked(cell.y(), cell.x());
}

void MonthGrid::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Left: emit dayMoveKey(-1); break;
    case Qt::Key_Right: emit dayMoveKey(1); break;
    case Qt::Key_Up: emit dayMoveKey(-7); break;
    case Qt::Key_Down: emit dayMoveKey(7); break;
    case Qt::Key_PageUp: emit monthMoveKey(ctrl ? -12 : -1); break;
    case Qt::Key_PageDown: emit monthMoveKey(ctrl ? 12 : 1); break;
    case Qt::Key_Home: emit todayKey(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit enterKey(); break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

void MonthGrid::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    update();
}

void MonthGrid::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    update();
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
    BtnToday = new QPushButton(QStringLiteral("今天"), this);
    BtnToday->setObjectName(QStringLiteral("BtnToday"));
    LblJieri = new QLabel(this);
    LblJieri->setObjectName(QStringLiteral("LblJieri"));
    LblJieri->setAlignment(Qt::AlignCenter);
    LblJieri->setStyleSheet(QStringLiteral("color: rgb(%1, %2, %3);")
                                .arg(kFestivalColour.r).arg(kFestivalColour.g).arg(kFestivalColour.b));

    LblNongLi = new QLabel(this);
    LblNongLi->setObjectName(QStringLiteral("LblNongLi"));
    LblNongLi->setAlignment(Qt::AlignCenter);
    // The grid's keys in the tool tips (the grid's own between its days), not in a line of the
    // window: at twice the scale the grid needs every pixel of a small screen.
    BtnPrev->setToolTip(QStringLiteral("上一月（PageUp；加Ctrl：上一年）"));
    BtnNext->setToolTip(QStringLiteral("下一月（PageDown；加Ctrl：下一年）"));
    BtnToday->setToolTip(QStringLiteral("今天（Home）"));
    BtnPai->setToolTip(QStringLiteral("按所选时刻排本命盘（在日历上按回车时先询问）"));

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("MenuWnl"));
    QMenu* menu = menuBar->addMenu(QStringLiteral("日历(&C)"));
    ActIcal = menu->addAction(QStringLiteral("导出iCalendar文件(&E)…"));
    ActIcal->setObjectName(QStringLiteral("ActIcal"));
    ActIcalSeasons = menu->addAction(QStringLiteral("导出时含三伏、数九(&S)"));
    ActIcalSeasons->setObjectName(QStringLiteral("ActIcalSeasons"));
    ActIcalSeasons->setCheckable(true);
    ActNongli = menu->addAction(QStringLiteral("转到农历日期(&L)…"));
    ActNongli->setObjectName(QStringLiteral("ActNongli"));
    menu->addSeparator();
    ActJieri = menu->addAction(QStringLiteral("显示节日(&F)"));
    ActJieri->setObjectName(QStringLiteral("ActJieri"));
    ActJieri->setCheckable(true);
    ActJieri->setChecked(true);
    ActDongLa = menu->addAction(QStringLiteral("十一月、十二月称冬月、腊月(&N)"));
    ActDongLa->setObjectName(QStringLiteral("ActDongLa"));
    ActDongLa->setCheckable(true);

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
    panel->addWidget(LblNongLi);
    panel->addWidget(LblJieri);
    panel->addWidget(new QLabel(QStringLiteral("四柱"), this));
    panel->addWidget(MemoBazi);
    panel->addWidget(new QLabel(QStringLiteral("本月节气"), this));
    panel->addWidget(MemoJieqi, 1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(ImgMonth, 1);
    middle->addLayout(panel);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnPrev, BtnNext, BtnNow, BtnToday}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(BtnPai);

    auto* root = new QVBoxLayout(this);
    root->setMenuBar(menuBar);
    root->addLayout(inputs);
    root->addLayout(middle, 1);
    root->addLayout(buttons);
    LblEra->setMaximumWidth(MemoBazi->width());

    for (QComboBox* c : {cbod, cbos, cbomin})
        connect(c, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) drawMonth();
        });
    // Another month keeps the day where it can, else its last day, as PageUp and PageDown do.
    connect(cbom, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_) return;
        int year = shownYearOf(u8(EdtYear->text())), month = cbom->currentIndex() + 1, day = cbod->currentIndex() + 1;
        if (shownYearAccepted(year) && shiftMonths(year, month, day, 0)) {
            filling_ = true;
            cbod->setCurrentIndex(day - 1);
            filling_ = false;
        }
        drawMonth();
    });
    connect(UdYear, &UpDown::clicked, this, &TFrmWnl::UdYearClick);
    connect(EdtYear, &QLineEdit::returnPressed, this, &TFrmWnl::EdtYearReturn);
    connect(BtnPrev, &QPushButton::clicked, this, &TFrmWnl::BtnPrevClick);
    connect(BtnNext, &QPushButton::clicked, this, &TFrmWnl::BtnNextClick);
    connect(BtnNow, &QPushButton::clicked, this, &TFrmWnl::BtnNowClick);
    connect(BtnPai, &QPushButton::clicked, this, &TFrmWnl::BtnPaiClick);
    connect(ImgMonth, &MonthGrid::cellClicked, this, &TFrmWnl::gridClicked);
    connect(BtnToday, &QPushButton::clicked, this, &TFrmWnl::BtnTodayClick);
    connect(ImgMonth, &MonthGrid::dayMoveKey, this, &TFrmWnl::moveDays);
    connect(ImgMonth, &MonthGrid::monthMoveKey, this, &TFrmWnl::moveMonths);
    connect(ImgMonth, &MonthGrid::todayKey, this, &TFrmWnl::BtnTodayClick);
    connect(ImgMonth, &MonthGrid::enterKey, this, &TFrmWnl::enterPressed);
    connect(ImgMonth, &MonthGrid::cellDoubleClicked, this, &TFrmWnl::gridDoubleClicked);
    connect(ActJieri, &QAction::toggled, this, [this] { optionChanged(ActJieri); });
    connect(ActDongLa, &QAction::toggled, this, [this] { optionChanged(ActDongLa); });
    connect(ActIcal, &QAction::triggered, this, &TFrmWnl::IcalClick);
    connect(ActNongli, &QAction::triggered, this, &TFrmWnl::NongliClick);

    bindYearField(EdtYear, UdYear, shownYearAccepted, [this] { refuseYear(); });
    new OnTopGuard(this);
}

TFrmWnl::~TFrmWnl() = default;

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
    ImgMonth->setFocus(Qt::OtherFocusReason);
}

void TFrmWnl::drawMonth() {
    const QDate today = QDate::currentDate();
    builder_.setOptions({ActJieri->isChecked(), ActDongLa->isChecked(),
                         {static_cast<std::int16_t>(astronomicalYear(today.year())),
                          static_cast<std::int16_t>(today.month()), static_cast<std::int16_t>(today.day()), 0, 0}});
    MonthPage next;
    if (!builder_.build(shownYearOf(u8(EdtYear->text())), cbom->currentIndex() + 1, cbod->currentIndex() + 1,
                        cbos->currentIndex(), cbomin->currentIndex(), next)) {
        message(this, qs(builder_.lastError()), qs(builder_.errorTitle()), QMessageBox::Critical);
        return;  // the previous picture stays
    }
    page_ = std::move(next);
    havePage_ = true;
    ImgMonth->setPage(&page_);
    ImgMonth->setMarks(monthMarks(almanac_, page_));
    LblTitle->setText(qs(page_.title));
    LblEra->setText(unbrokenWords(qs(page_.eraLine)));
    MemoBazi->setPlainText(memoText(page_.pillarText));
    MemoJieqi->setPlainText(memoText(page_.termText));
    const DayCell* selected = page_.selectedCell();
    LblNongLi->setText(selected ? QStringLiteral("农历") + qs(selected->lunar) : QString());
    LblJieri->setText(qs(page_.selectedFestivals));
    LblJieri->setVisible(ActJieri->isChecked() && !page_.selectedFestivals.empty());
}

void TFrmWnl::UdYearClick() {
    EdtYear->setText(QString::number(displayYear(UdYear->position())));
    drawMonth();
}

void TFrmWnl::EdtYearReturn() {
    const int shown = shownYearOf(u8(EdtYear->text()));
    if (!shownYearAccepted(shown)) {
        refuseYear();
        EdtYear->setFocus();
        return;
    }
    UdYear->setPosition(astronomicalYear(shown));
    drawMonth();
}

void TFrmWnl::refuseYear() {
    // Year 0 lies between -4713 and 9999: the range alone would not say what is wrong with it,
    // so it gets the one message that does, whichever way it was entered.
    static const QRegularExpression zero(QStringLiteral("^[+-]?0+$"));
    if (zero.match(EdtYear->text().trimmed()).hasMatch())
        message(this, QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年"), QStringLiteral("年份不对"),
                QMessageBox::Critical);
    else
        message(this, QStringLiteral("年份在-4713 到 9999之间"), QStringLiteral("错误"), QMessageBox::Critical);
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

// ---- Beyond the first form: today, keyboard, options, export ----

void TFrmWnl::gridDoubleClicked(int row, int column) {
    for (const DayCell& c : page_.cells)
        if (c.row == row && c.column == column)
            return showDayDetails(this, builder_, page_.shownYear, page_.moment.month, c.day);
}

void TFrmWnl::enterPressed() {
    // Enter alone must not leave the calendar for a chart by surprise.
    if (havePage_ && confirmChart(this, page_.moment)) BtnPaiClick();
}

void TFrmWnl::BtnTodayClick() {
    const QDate today = QDate::currentDate();
    if (!shownYearAccepted(today.year())) return;
    setMoment(today.year(), today.month(), today.day(), cbos->currentIndex(), cbomin->currentIndex());
    drawMonth();
}

void TFrmWnl::moveDays(int days) {
    int year = shownYearOf(u8(EdtYear->text())), month = cbom->currentIndex() + 1, day = cbod->currentIndex() + 1;
    if (!shiftDays(builder_.calendar(), year, month, day, days)) return;
    setMoment(year, month, day, cbos->currentIndex(), cbomin->currentIndex());
    drawMonth();
}

void TFrmWnl::moveMonths(int months) {
    int year = shownYearOf(u8(EdtYear->text())), month = cbom->currentIndex() + 1, day = cbod->currentIndex() + 1;
    if (!shiftMonths(year, month, day, months)) return;
    setMoment(year, month, day, cbos->currentIndex(), cbomin->currentIndex());
    drawMonth();
}

void TFrmWnl::setOptionsFile(text::IniFile* settings) {
    settings_ = settings;
    if (!settings_) return;
    settings_->refresh();  // another window may have changed the file since it was read
    const QSignalBlocker a(ActJieri), b(ActDongLa);
    ActJieri->setChecked(settings_->readBool("wnl", "jieri", true));
    ActDongLa->setChecked(settings_->readBool("wnl", "dlyue", false));
    if (havePage_) drawMonth();
}

void TFrmWnl::optionChanged(QAction* changed) {
    if (settings_) {
        // Both keys are written, as always, but only the option changed here takes this
        // window's value: the other keeps what the file holds now, which another copy of the
        // program may have changed.
        QAction* other = changed == ActJieri ? ActDongLa : ActJieri;
        const char* otherKey = other == ActJieri ? "jieri" : "dlyue";
        bool otherOn = other->isChecked();
        const bool ok = settings_->update([&](text::IniEditor& e) {
            otherOn = e.readBool("wnl", otherKey, otherOn);
            const bool jieri = changed == ActJieri ? changed->isChecked() : otherOn;
            const bool dlyue = changed == ActDongLa ? changed->isChecked() : otherOn;
            return e.writeBool("wnl", "jieri", jieri) && e.writeBool("wnl", "dlyue", dlyue);
        });
        if (ok) {
            const QSignalBlocker block(other);
            other->setChecked(otherOn);
        } else {
            message(this, QStringLiteral("万年历的选项没有保存：") + qs(settings_->lastError()), QStringLiteral("错误"),
                    QMessageBox::Critical);
        }
    }
    if (havePage_) drawMonth();
}

bool TFrmWnl::exportCalendar(const QString& path, int firstYear, int lastYear) {
    std::string error;
    if (!IcalWriter::yearsAccepted(firstYear, lastYear, error)) {
        message(this, qs(error), QStringLiteral("错误"), QMessageBox::Critical);
        return false;
    }
    IcalWriter writer(builder_.calendar(),
                      {icalStamp(QDateTime::currentSecsSinceEpoch()), ActDongLa->isChecked()});
    std::string bytes = writer.begin();
    for (int y = firstYear; y <= lastYear; ++y)
        bytes += ActIcalSeasons->isChecked() ? writer.events(y, almanac::seasonStarts(almanac_, y)) : writer.events(y);
    bytes += IcalWriter::end();
    // The calendar's titles in the script the display shows.
    if (traditionalShown()) bytes = traditional::toTraditional(bytes);
    if (!text::writeFileAtomically(u8(path), bytes, &error)) {
        message(this, QStringLiteral("日历文件没有写成：") + qs(error), QStringLiteral("错误"), QMessageBox::Critical);
        return false;
    }
    message(this, QStringLiteral("已导出到 ") + QDir::toNativeSeparators(path), QStringLiteral("提示"),
            QMessageBox::Information);
    return true;
}

void TFrmWnl::IcalClick() {
    const int shown = shownYearOf(u8(EdtYear->text()));
    const int first = shownYearAccepted(shown) ? std::clamp(shown, kFirstIcalYear, kLastIcalYear) : kFirstIcalYear;
    bool ok = false;
    const int years = QInputDialog::getInt(this, QStringLiteral("导出日历"),
                                           QStringLiteral("从%1年起导出几年：").arg(first), 1, 1,
                                           std::min(100, kLastIcalYear - first + 1), 1, &ok);
    if (!ok) return;
    QFileDialog dlg(this, QStringLiteral("导出iCalendar文件"),
                    QDir::home().filePath(QStringLiteral("农历%1.ics").arg(first)),
                    QStringLiteral("iCalendar 文件 (*.ics)"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("ics"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    exportCalendar(dlg.selectedFiles().constFirst(), first, first + years - 1);
}

void TFrmWnl::NongliClick() {
    int year = shownYearOf(u8(EdtYear->text()));
    if (!shownYearAccepted(year)) year = QDate::currentDate().year();
    int month = 0, day = 0;
    bool leap = false;
    const DateTime lunarNow = havePage_ ? builder_.calendar().solarToLunar(page_.moment, leap) : DateTime{};
    if (!askLunarDate(this, builder_.calendar(), year, lunarNow, year, month, day)) return;
    setMoment(year, month, day, cbos->currentIndex(), cbomin->currentIndex());
    drawMonth();
}

}  // namespace hj::gui
