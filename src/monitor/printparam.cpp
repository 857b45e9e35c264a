#include "printparam.h"

#include "monitorfrm.h"
#include "record/record.h"
#include "shell/pagehost.h"

#include <QLabel>

PrintParam::PrintParam(PageHost& wizard)
    : Page(wizard, Layout::printParam(), Lifetime::UnloadedWhenLeft),
      OptoType_L(control<QLabel>(QStringLiteral("OptoType_L"))),
      BlackLevel(control<QLabel>(QStringLiteral("BlackLevel"))),
      MarkLevel(control<QLabel>(QStringLiteral("MarkLevel"))),
      PaperLevel(control<QLabel>(QStringLiteral("PaperLevel"))),
      PaperThres(control<QLabel>(QStringLiteral("PaperThres"))),
      MarkThres(control<QLabel>(QStringLiteral("MarkThres"))) {}

void PrintParam::Form_Load() {
    // Against the monitor's right edge, top edges aligned; where the monitor goes afterwards, the sheet
    // does not follow.
    if (const MonitorFrm* monitor = wizard().loaded<MonitorFrm>()) {
        const QRect outer = monitor->frameGeometry();
        move(outer.x() + outer.width(), outer.y());
    }
    FillParameterLabels();
}

void PrintParam::FillParameterLabels() {
    // The same lines as the block of the monitor's record.
    const std::array<Record::Line, 6> lines = Record::parameterLines(wizard().state().OptoParams);
    const std::array<QLabel*, 6> labels{OptoType_L, BlackLevel, MarkLevel, PaperLevel, PaperThres, MarkThres};
    for (size_t i = 0; i < labels.size(); ++i)
        labels[i]->setText(lines[i].text);
}
