#pragma once

#include "record/identity.h"

#include <QMessageBox>
#include <QString>

// Every message box of the program: modal, titled with the application title, with a fixed text.
namespace Messages {

inline const QString kApplicationTitle = Identity::kProductName;

QMessageBox::StandardButton show(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::Ok);

// The port could not be opened or failed while in use; the text is the link's, with the system's reason.
void portProblem(QWidget* parent, const QString& text);

} // namespace Messages
