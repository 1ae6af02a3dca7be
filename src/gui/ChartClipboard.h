#pragma once
// 复制命理参数 / 粘贴命理参数: the birth data of the last chart on the clipboard in the shared
// one-line form, and back into the birth inputs. Messages go over the window it is given.
#include <QObject>

#include "core/chart/chart.h"

class QWidget;

namespace hj::gui {

class BirthInputs;

class ChartClipboard : public QObject {
    Q_OBJECT
public:
    ChartClipboard(QWidget* window, BirthInputs& inputs);

    // Copies the birth data of `last`; with no valid chart says that one is needed first.
    void copy(const ChartRequest& last, bool valid);
    // Puts parameters from the clipboard into the inputs (nothing when it holds none). A name
    // longer than the name field is cut, and the message says so.
    void paste();

private:
    QWidget* window_;
    BirthInputs& inputs_;
};

}  // namespace hj::gui
