#pragma once

#include <QString>

// The folder of the help pages that an install puts beside the program, for a page the working
// directory lacks.
QString installedHelpDir();
