// A comparison shown row by row: the line numbers of both texts, a mark
// (− a line gone since, + a line added since), the line in the script's
// font with its differing clusters marked, and a row for each stretch of
// unchanged lines left out. Only the rows on screen are drawn, so a
// comparison of the longest script shows at once. Rows can be selected
// (Shift with the arrows), to be taken over.
#pragma once

#include "versions/comparison.h"

#include <QListView>

#include <memory>
#include <vector>

namespace versions {

class ComparisonModel;

class ComparisonView : public QListView
{
    Q_OBJECT

public:
    explicit ComparisonView(QWidget *parent = nullptr);
    ~ComparisonView() override;

    // Shows `comparison` (null for none) from its top, nothing chosen: the
    // first Alt+↓ chooses its first difference.
    void setComparison(std::shared_ptr<const Comparison> comparison);
    const Comparison *comparison() const;
    void setTextFont(const QFont &font);

    // Chooses the next (or previous) stretch of differences after (before)
    // the current row, rounding to the other end; false when it rounded.
    // With nothing chosen, the first stretch at (the last before) the
    // current row, or the first (last) of all. Nothing happens when there
    // are no differences.
    bool nextDifference();
    bool previousDifference();
    // The rows chosen, in order.
    std::vector<qsizetype> chosenRows() const;
    // The rows to take over: those chosen, or with none chosen the first
    // stretch of differences, the one Alt+↓ would choose.
    std::vector<qsizetype> rowsToTakeOver() const;

private:
    void chooseStretch(qsizetype first);
    std::vector<qsizetype> stretch(qsizetype first) const;

    ComparisonModel *m_model;
};

} // namespace versions
