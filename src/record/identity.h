#pragma once

#include <QString>

// What the program calls itself. The splash shows the version text as it stands here, not the
// executable's version record.
namespace Identity {

inline const QString kProductName = QStringLiteral("Veltaro 1.0"); // also the title of every message box
inline const QString kVersionText = QStringLiteral("1.0");         // on the splash, after "Rev: "
inline const QString kFileVersion = QStringLiteral("1.00");        // file and product version

// Gives the running application its name and version.
void applyToApplication();

} // namespace Identity
