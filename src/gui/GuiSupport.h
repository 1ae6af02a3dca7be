#pragma once
// Small pieces shared by the windows: text conversion, message boxes, an up/down control, a
// radio group, a layout that wraps its items, and a validator counting GBK bytes.
#include <QGroupBox>
#include <QLayout>
#include <QMessageBox>
#include <QString>
#include <QValidator>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

class QButtonGroup;
class QLineEdit;
class QScrollArea;
class QToolButton;

namespace hj::gui {

inline QString qs(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
inline std::string u8(const QString& s) { return s.toStdString(); }

// Reports line up their columns by counting a Chinese character as two ASCII widths, so the
// pane's default font "宋体" must have that shape. Where it is not installed, it stands for
// the first installed CJK font that does (ASCII half as wide as a Chinese character).
void installFontSubstitutes();

// The caption of messages that name no kind of their own.
QString appTitle();

// `w` in a scroll area named `name`: it fills the area, and scrolls once the area is smaller
// than `minimum`.
QScrollArea* scrolled(QWidget* w, QSize minimum, const char* name);

// A modal message box with Chinese button texts; returns the button pressed.
// `detail` goes below the text, in the box's informative text.
QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                    QMessageBox::Icon icon = QMessageBox::Information,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok, const QString& detail = {});
// Makes a message box wide enough that the window manager's title bar shows its whole title.
void fitTitle(QMessageBox& box);
// A Yes/No question; true unless the answer is No.
bool askYesNo(QWidget* parent, const QString& text, const QString& title,
              QMessageBox::Icon icon = QMessageBox::Question);

// An up/down control bound to nothing: a position in a range, stepped by its two arrows, the
// arrow keys or the mouse wheel. `clicked` follows every step made by the user.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);
    int position() const { return pos_; }
    void setPosition(int p);
    void setRange(int lo, int hi);
    int minimum() const { return lo_; }
    int maximum() const { return hi_; }
    void step(int delta);  // as a click on an arrow
    // Asked before every step; a step it refuses does not happen (it says why itself).
    void setStepCheck(std::function<bool()> check) { check_ = std::move(check); }
signals:
    void clicked();
protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
private:
    int pos_ = 0, lo_ = 0, hi_ = 100;
    std::function<bool()> check_;
    bool checking_ = false;
    QToolButton* up_;
    QToolButton* down_;
};

// Binds a year field to its up/down control: the arrows step from the year the field shows
// when `accepted` takes it (shown numbering, no year 0); with any other text an arrow only calls
// `refuse` (which says what is wrong) and puts the focus on the field.
void bindYearField(QLineEdit* edit, UpDown* updown, std::function<bool(int shownYear)> accepted,
                   std::function<void()> refuse);

// A group box of exclusive radio buttons addressed by index.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int i);
private:
    QButtonGroup* group_;
};

// Lays its items out left to right and wraps them to new rows when the width runs out.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr, int hSpacing = 8, int vSpacing = 4);
    ~FlowLayout() override;
    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
private:
    int arrange(const QRect& rect, bool apply) const;
    QList<QLayoutItem*> items_;
    int hSpacing_, vSpacing_;
};

// Accepts texts of at most `maxBytes` GBK bytes that GBK can encode.
class GbkLimitValidator : public QValidator {
public:
    GbkLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), max_(maxBytes) {}
    State validate(QString& input, int& pos) const override;
private:
    int max_;
};

// Gives a child its object name, by which the tests and accessibility tools find it.
template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace hj::gui
