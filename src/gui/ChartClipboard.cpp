#include "gui/ChartClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "core/calendar/datetime.h"
#include "core/presentation/chart_inputs.h"
#include "core/presentation/chart_params.h"
#include "core/text/gbk.h"
#include "gui/BirthInputs.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

ChartClipboard::ChartClipboard(QWidget* window, BirthInputs& inputs) : QObject(window), window_(window), inputs_(inputs) {}

void ChartClipboard::copy(const ChartRequest& last, bool valid) {
    if (!valid) {
        message(window_, QStringLiteral("请先排一个正确的八字盘后才能复制八字参数！"), QStringLiteral("提示"),
                QMessageBox::Information);
        return;
    }
    presentation::ChartParameters p;
    p.year = displayYear(last.year);
    p.month = last.month;
    p.day = last.day;
    p.hour = last.hour;
    p.minute = last.minute;
    p.kind = presentation::calendarKind(last.lunar, last.leap);
    p.male = last.male;
    p.name = last.name;
    p.province = last.province;
    p.city = last.city;
    QGuiApplication::clipboard()->setText(qs(presentation::formatChartParameters(p)));
    message(window_, QStringLiteral("复制完成，可以从墨衡软件里面粘贴，从而快速输入参数排盘！"), appTitle());
}

void ChartClipboard::paste() {
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.isEmpty()) return;
    presentation::ChartParameters p;
    if (!presentation::parseChartParameters(u8(clip), p)) return;
    inputs_.setParameters(p);
    const std::string kept = text::truncateGbk(p.name, presentation::kNameMaxBytes);
    if (kept == p.name) {
        message(window_, QStringLiteral("成功粘贴命理参数！"), appTitle());
        return;
    }
    message(window_,
            QStringLiteral("成功粘贴命理参数！但姓名“%1”超出姓名栏的长度（%2个字节），已截短为“%3”。")
                .arg(qs(p.name))
                .arg(presentation::kNameMaxBytes)
                .arg(qs(kept)),
            appTitle(), QMessageBox::Warning);
}

}  // namespace hj::gui
