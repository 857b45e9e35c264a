#pragma once

#include "shell/page.h"
#include "shell/pagehost.h"

class QLabel;

// The parameter sheet beside the monitor: the six opto parameters read when the monitor opened, each
// value line in the colour of its reference line on the graph, so that the sheet is the graph's legend.
// It shows what it found when it loaded and is not refreshed while it stays open.
class PrintParam : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::PrintParam;
    explicit PrintParam(PageHost& wizard);
    void Form_Load() override;

    QLabel* OptoType_L;
    QLabel* BlackLevel;
    QLabel* MarkLevel;
    QLabel* PaperLevel;
    QLabel* PaperThres;
    QLabel* MarkThres;

private:
    void FillParameterLabels();
};
