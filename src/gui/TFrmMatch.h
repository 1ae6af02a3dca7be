#pragma once
// 合婚: the window that compares two charts. The first person is given (a case of the tree, or
// the chart of the main window); the second is chosen from the stored cases or typed (or
// pasted) in the birth inputs. It shows the two charts side by side over the engine's items,
// 吉 in green and 凶 in red, and saves, prints and copies them like the report pane.
#include <QDialog>
#include <optional>

#include "core/casestore/case_store.h"
#include "core/chart/chart.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace hj::gui {

class BirthInputs;
class ChartCardView;
class ReportEdit;

class TFrmMatch : public QDialog {
    Q_OBJECT
public:
    // `dataRoot` holds dat/ (settings, places); the cases are listed from `store`.
    TFrmMatch(const QString& dataRoot, casestore::CaseStore& store, QWidget* parent = nullptr);

    // The first person; the items are cleared until the next comparison.
    void setFirst(const ChartRequest& first);
    // Shows the typed birth (true) or the case list as the second person's source.
    void showTypedSecond(bool typed);
    // Rereads the stored cases into the list (done when the window is made).
    void reloadCases();

    // The text shown in the items pane, for the tests.
    QString itemsText() const;

public slots:
    // Compares the first person with the case selected in the list or the typed birth, as the
    // tab shown says. False after saying why.
    bool MatchClick();
    void PasteClick();
    void CopyClick();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    std::optional<ChartRequest> secondRequest();
    std::optional<Chart> cast(const ChartRequest& req);
    void filterCases(const QString& text);
    // Gives the cards the height they need at their width, the items the rest.
    void fitCards();

    QString dataRoot_;
    casestore::CaseStore& store_;
    std::optional<ChartRequest> first_;

    QLabel* LblFirst;
    QTabWidget* TabSecond;
    QLineEdit* EdtFind;
    QListWidget* LstCases;
    BirthInputs* Inputs2;
    QPushButton* BtnPaste;
    QPushButton* BtnMatch;
    ChartCardView* CardA;
    ChartCardView* CardB;
    QSplitter* SplitResult;
    ReportEdit* RedtMatch;
    QPushButton* BtnSave;
    QPushButton* BtnPrint;
    QPushButton* BtnCopy;
    QPushButton* BtnClose;
};

}  // namespace hj::gui
