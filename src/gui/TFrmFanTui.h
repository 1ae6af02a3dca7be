#pragma once
// 从八字反求出生日期: the reverse search dialog. Four pillars and a start year in, the first date
// at or after that year carrying them out; 测算 closes it so that the main window charts that date.
#include <QDialog>
#include <array>
#include <cstdint>

#include "core/calendar/datetime.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace hj::gui {

class UpDown;

class TFrmFanTui : public QDialog {
    Q_OBJECT
public:
    explicit TFrmFanTui(QWidget* parent = nullptr);

    // Fills the lists from four sexagenary indices (year, month, day, hour), sets the start
    // year to 1950 and the sex, and disables 测算 until a search succeeds.
    void prepareSearch(const std::array<std::uint8_t, 4>& pillars, bool male);

    // After 测算: the date found (astronomical year, minute 0) and the sex chosen.
    const DateTime& foundMoment() const { return found_; }
    bool male() const { return male_; }

    std::array<QComboBox*, 4> cbotian;  // cbotian0..3: stems 甲 … 癸
    std::array<QComboBox*, 4> cbodi;    // cbodi0..3: branches 子 … 亥
    QRadioButton* Rdona1;
    QRadioButton* Rdonv1;
    QLineEdit* Edtyear;
    UpDown* Upyear;
    QPlainTextEdit* Memo1;
    QPushButton* Btncha;
    QPushButton* Btnpai;

private slots:
    void runSearch();
    void markMemoStale(bool stale);
    void BtnpaiClick();
    void UpyearClick();

private:
    DateTime found_{};
    bool male_ = true;
};

}  // namespace hj::gui
