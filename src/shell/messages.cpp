#include "messages.h"

namespace Messages {

QMessageBox::StandardButton show(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, kApplicationTitle, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const int answer = box.exec();
    return QMessageBox::StandardButton(answer);
}

void portProblem(QWidget* parent, const QString& text) {
    show(parent, text, QMessageBox::Critical);
}

} // namespace Messages
