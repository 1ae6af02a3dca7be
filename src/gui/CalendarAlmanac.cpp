#include "gui/CalendarAlmanac.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "core/almanac/almanac_tables.h"
#include "core/calendar/festivals.h"
#include "gui/GuiSupport.h"

namespace hj::gui {
namespace {

QString lines(const std::string& text) { return qs(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed(); }

QString joined(const std::vector<std::string>& words, const QString& none = QStringLiteral("—")) {
    QStringList out;
    for (const std::string& w : words) out << qs(w);
    return out.isEmpty() ? none : out.join(QLatin1Char(' '));
}

QString counted(const std::optional<almanac::Counted>& c) {
    return c ? qs(c->name) + QStringLiteral("第%1天").arg(c->day) : QString();
}

QString lunarDayName(int day) { return qs((day <= 10 ? "初" : "") + chineseNumber(day)); }

constexpr const char* kGreen = "color: rgb(0, 128, 0);";
constexpr const char* kRed = "color: rgb(200, 0, 0);";

}  // namespace

std::vector<DayMark> monthMarks(almanac::AlmanacBuilder& builder, const MonthPage& page) {
    std::vector<DayMark> marks;
    for (const DayCell& c : page.cells) {
        almanac::AlmanacDay d;
        if (!builder.build({page.moment.year, page.moment.month, static_cast<std::int16_t>(c.day), 0, 0}, d)) continue;
        DayMark m;
        m.day = c.day;
        m.huangdao = d.huangdao;
        m.tip = qs(d.tianshen) + (d.huangdao ? QStringLiteral("（黄道）") : QStringLiteral("（黑道）"));
        for (const auto* span : {&d.fu, &d.shujiu}) {
            if (!*span) continue;
            m.tip += QStringLiteral("  ") + counted(*span);
            if ((*span)->day == 1 && m.span.isEmpty()) m.span = qs((*span)->name);
        }
        marks.push_back(m);
    }
    return marks;
}

DayAlmanacBox::DayAlmanacBox(QWidget* parent, MonthPageBuilder& builder, int shownYear, int month, int day)
    : QDialog(parent), builder_(builder) {
    setObjectName(QStringLiteral("BoxDay"));
    setWindowTitle(QStringLiteral("日期详情"));
    LblDay = new QLabel(this);
    LblDay->setObjectName(QStringLiteral("LblDay"));
    LblItems = new QLabel(this);
    LblItems->setObjectName(QStringLiteral("LblItems"));
    LblYi = new QLabel(this);
    LblYi->setObjectName(QStringLiteral("LblYi"));
    LblJi = new QLabel(this);
    LblJi->setObjectName(QStringLiteral("LblJi"));
    for (QLabel* l : {LblYi, LblJi}) {
        l->setWordWrap(true);
        QFont f = l->font();
        f.setPointSize(f.pointSize() + 2);
        l->setFont(f);
    }
    LblYi->setStyleSheet(QLatin1String(kGreen));
    LblJi->setStyleSheet(QLatin1String(kRed));
    for (QLabel* l : {LblDay, LblItems, LblYi, LblJi}) l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    GridHours = new QTableWidget(12, 5, this);
    GridHours->setObjectName(QStringLiteral("GridHours"));
    GridHours->setHorizontalHeaderLabels({QStringLiteral("时辰"), QStringLiteral("干支"), QStringLiteral("值神"),
                                          QStringLiteral("吉凶"), QStringLiteral("冲")});
    GridHours->verticalHeader()->hide();
    GridHours->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridHours->setSelectionMode(QAbstractItemView::NoSelection);
    GridHours->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridHours->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridHours->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridHours->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridHours->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    GridHours->setWordWrap(false);
    GridHours->setFocusPolicy(Qt::NoFocus);  // read only: the buttons keep the keyboard

    LblSeason = new QLabel(this);
    LblSeason->setObjectName(QStringLiteral("LblSeason"));
    LblSeason->setWordWrap(true);
    LblSeason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* tradition = new QLabel(QStringLiteral("宜忌是历书相沿的传统说法，仅供了解民俗。"), this);
    tradition->setStyleSheet(QStringLiteral("color: gray;"));

    BtnPrevDay = new QPushButton(QStringLiteral("前一日(&P)"), this);
    BtnPrevDay->setObjectName(QStringLiteral("BtnPrevDay"));
    BtnNextDay = new QPushButton(QStringLiteral("后一日(&N)"), this);
    BtnNextDay->setObjectName(QStringLiteral("BtnNextDay"));
    BtnNotes = new QPushButton(QStringLiteral("说明(&H)"), this);
    BtnNotes->setObjectName(QStringLiteral("BtnNotes"));
    auto* close = new QPushButton(QStringLiteral("确定"), this);
    close->setObjectName(QStringLiteral("BtnClose"));
    close->setDefault(true);
    // Enter closes the box wherever the focus is; the day buttons answer to their Alt keys.
    for (QPushButton* b : {BtnPrevDay, BtnNextDay, BtnNotes}) b->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(LblDay);
    left->addWidget(LblItems);
    left->addWidget(LblYi);
    left->addWidget(LblJi);
    left->addWidget(LblSeason);
    left->addStretch(1);
    left->addWidget(tradition);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("十二时辰"), this));
    right->addWidget(GridHours, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 3);
    body->addLayout(right, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnPrevDay);
    buttons->addWidget(BtnNextDay);
    buttons->addWidget(BtnNotes);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* root = new QVBoxLayout(this);
    root->addLayout(body, 1);
    root->addLayout(buttons);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnPrevDay, &QPushButton::clicked, this, [this] { moveDays(-1); });
    connect(BtnNextDay, &QPushButton::clicked, this, [this] { moveDays(1); });
    connect(BtnNotes, &QPushButton::clicked, this, [this] {
        message(this, qs(almanac::almanacNotes()).trimmed(), QStringLiteral("黄历说明"), QMessageBox::Information);
    });
    QString error;
    showDay(shownYear, month, day, error);
}

void DayAlmanacBox::moveDays(int days) {
    int y = year_, m = month_, d = day_;
    if (!shiftDays(builder_.calendar(), y, m, d, days)) return;
    QString error;
    if (!showDay(y, m, d, error)) message(this, error, QStringLiteral("错误"), QMessageBox::Critical);
}

bool DayAlmanacBox::showDay(int shownYear, int month, int day, QString& error) {
    MonthPage page;
    if (!builder_.build(shownYear, month, day, 12, 0, page)) {
        error = qs(builder_.lastError());
        return false;
    }
    const DayCell* cell = page.selectedCell();
    if (!cell) {
        error = QStringLiteral("没有这一天");
        return false;
    }
    year_ = shownYear;
    month_ = month;
    day_ = day;
    almanac::AlmanacDay a;
    const bool haveAlmanac = almanac_.build({page.moment.year, page.moment.month, page.moment.day, 0, 0}, a);

    QStringList text;
    text << QStringLiteral("公历%1年%2月%3日  %4")
                .arg(shownYear)
                .arg(month)
                .arg(day)
                .arg(qs(page.header[static_cast<std::size_t>(cell->column)].text));
    text << QStringLiteral("农历%1").arg(qs(cell->lunar));
    // Year, month and day pillars; the hour is the selected one's and says nothing of the day.
    const QStringList pillars = lines(page.pillarText).split(QLatin1Char('\n'));
    text << QStringLiteral("干支：") + pillars.mid(0, 3).join(QLatin1Char(' '));
    for (const TermEntry& t : page.terms)
        if (t.time.day == day)
            text << QStringLiteral("节气：%1 %2时%3分（北京时间）").arg(qs(kTermNames[t.index])).arg(t.time.hour).arg(t.time.minute);
    QString festivals = qs(cell->festivals);
    if (haveAlmanac)
        for (const std::string& h : a.holidays) festivals += (festivals.isEmpty() ? QString() : QStringLiteral(" ")) + qs(h);
    if (!festivals.isEmpty()) text << QStringLiteral("节日：") + festivals;
    text << QStringLiteral("纪年：") + qs(page.eraLine);
    LblDay->setText(text.join(QLatin1Char('\n')));

    for (QWidget* w : std::initializer_list<QWidget*>{LblItems, LblYi, LblJi, GridHours, LblSeason, BtnNotes})
        w->setVisible(haveAlmanac);
    if (!haveAlmanac) {
        adjustSize();
        return true;
    }
    QStringList items;
    items << QStringLiteral("建除：%1　　值神：%2（%3）")
                 .arg(qs(a.jianchu), qs(a.tianshen), a.huangdao ? QStringLiteral("黄道") : QStringLiteral("黑道"));
    items << QStringLiteral("二十八宿：%1（%2）　　纳音：%3　　九星：%4")
                 .arg(qs(a.xiu), a.xiuLucky ? QStringLiteral("吉") : QStringLiteral("凶"), qs(a.nayin), qs(a.nineStar));
    items << QStringLiteral("冲煞：%1 煞%2　　胎神占方：%3").arg(qs(a.chongDesc), qs(a.sha), qs(a.taishen));
    items << QStringLiteral("彭祖百忌：") + joined(hj::almanac::pengzuPrecepts(a));
    items << QStringLiteral("方位：喜神%1　福神%2　财神%3　阳贵%4　阴贵%5")
                 .arg(qs(a.directions.xi), qs(a.directions.fu), qs(a.directions.cai), qs(a.directions.yanggui),
                      qs(a.directions.yingui));
    items << QStringLiteral("吉神宜趋：") + joined(a.jishen);
    items << QStringLiteral("凶煞宜忌：") + joined(a.xiongsha);
    LblItems->setText(items.join(QLatin1Char('\n')));
    LblYi->setText(QStringLiteral("宜：") + joined(a.yi));
    LblJi->setText(QStringLiteral("忌：") + joined(a.ji));

    for (int h = 0; h < 12; ++h) {
        const almanac::HourInfo& info = a.hours[static_cast<std::size_t>(h)];
        const int from = (h * 2 + 23) % 24;
        const QString cells[5] = {qs(almanac::kBranchNames[h]) + QStringLiteral("时 %1–%2时").arg(from, 2, 10, QLatin1Char('0')).arg((from + 2) % 24, 2, 10, QLatin1Char('0')),
                                  qs(info.ganzhi), qs(info.tianshen), info.lucky ? QStringLiteral("吉") : QStringLiteral("凶"),
                                  QStringLiteral("冲") + qs(info.chong)};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            if (c == 3) item->setForeground(info.lucky ? QColor(0, 128, 0) : QColor(200, 0, 0));
            GridHours->setItem(h, c, item);
        }
    }
    GridHours->resizeColumnsToContents();
    GridHours->resizeRowsToContents();
    int tableHeight = GridHours->horizontalHeader()->sizeHint().height() + 2 * GridHours->frameWidth();
    for (int h = 0; h < 12; ++h) tableHeight += GridHours->rowHeight(h);
    GridHours->setMinimumHeight(tableHeight);
    int tableWidth = 2 * GridHours->frameWidth();
    for (int c = 0; c < 5; ++c) tableWidth += GridHours->columnWidth(c);
    GridHours->setMinimumWidth(tableWidth);

    QStringList season;
    season << QStringLiteral("物候：") + qs(a.hou);
    if (a.shujiu) season << counted(a.shujiu);
    if (a.fu) season << counted(a.fu);
    for (const std::string& s : a.seasonal) season << qs(s);
    QString seasonText = season.join(QStringLiteral("　"));
    if (a.moon)
        seasonText += QStringLiteral("\n月相：%1 %2时%3分（北京时间）")
                          .arg(qs(a.moon->phase))
                          .arg(a.moon->time.hour)
                          .arg(a.moon->time.minute, 2, 10, QLatin1Char('0'));
    LblSeason->setText(seasonText);
    return true;
}

bool askLunarDate(QWidget* parent, Calendar& cal, int shownYear, const DateTime& lunarNow, int& civilYear,
                  int& civilMonth, int& civilDay) {
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("DlgNongli"));
    dlg.setWindowTitle(QStringLiteral("转到农历日期"));
    auto* year = new QLineEdit(QString::number(shownYear), &dlg);
    year->setObjectName(QStringLiteral("EdtNongliYear"));
    year->setValidator(new QIntValidator(kFirstShownYear, kLastShownYear, year));
    auto* month = new QComboBox(&dlg);
    month->setObjectName(QStringLiteral("cboNongliMonth"));
    for (int m = 1; m <= 12; ++m) month->addItem(qs(lunarMonthName(m, false)));
    auto* leap = new QCheckBox(QStringLiteral("闰月"), &dlg);
    leap->setObjectName(QStringLiteral("ChkNongliLeap"));
    auto* day = new QComboBox(&dlg);
    day->setObjectName(QStringLiteral("cboNongliDay"));
    for (int d = 1; d <= 30; ++d) day->addItem(lunarDayName(d));
    month->setCurrentIndex(std::clamp<int>(lunarNow.month, 1, 12) - 1);
    day->setCurrentIndex(std::clamp<int>(lunarNow.day, 1, 30) - 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("农历年（公历年号）："), year);
    auto* monthRow = new QHBoxLayout;
    monthRow->addWidget(month, 1);
    monthRow->addWidget(leap);
    form->addRow(QStringLiteral("月："), monthRow);
    form->addRow(QStringLiteral("日："), day);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("转到"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    auto* root = new QVBoxLayout(&dlg);
    root->addLayout(form);
    root->addWidget(box);
    QObject::connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, [&] {
        const int shown = year->text().toInt();
        if (shown == 0 || shown < kFirstShownYear || shown > kLastShownYear) {
            message(&dlg, QStringLiteral("年份在-4713 到 9999之间"), QStringLiteral("错误"), QMessageBox::Critical);
            return;
        }
        DateTime lunar{static_cast<std::int16_t>(astronomicalYear(shown)), static_cast<std::int16_t>(month->currentIndex() + 1),
                       static_cast<std::int16_t>(day->currentIndex() + 1), 12, 0};
        DateTime civil;
        if (!cal.lunarToSolar(lunar, leap->isChecked(), civil)) {
            message(&dlg, qs(cal.lastError()), QStringLiteral("错误"), QMessageBox::Critical);
            return;
        }
        civilYear = displayYear(civil.year);
        civilMonth = civil.month;
        civilDay = civil.day;
        dlg.accept();
    });
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace hj::gui
