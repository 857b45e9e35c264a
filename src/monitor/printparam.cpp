#include "printparam.h"

#include "monitorfrm.h"
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
    const OptoParameterBlock& params = wizard().state().OptoParams;
    OptoType_L->setText(params.optoType != 0 ? QStringLiteral("Transmitive Optosensor")
                                             : QStringLiteral("Reflective Optosensor"));
    BlackLevel->setText(QStringLiteral("Black Level : ") + QString::number(params.blackLevel));
    MarkLevel->setText(QStringLiteral("Mark / Backing Level : ") + QString::number(params.markLevel));
    PaperLevel->setText(QStringLiteral("Paper Level : ") + QString::number(params.paperLevel));
    PaperThres->setText(QStringLiteral("Paper Threshold : ") + QString::number(params.paperThreshold));
    MarkThres->setText(QStringLiteral("Mark / Backing Threshold : ") + QString::number(params.markThreshold));
}
