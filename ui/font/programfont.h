#pragma once

#include <QString>

// Every window of the program is set in Tahoma, 8 point. Where the system has no Tahoma,
// a compatible face shipped with Wine (Debian's fonts-wine) is loaded when it covers
// Cyrillic; failing that, the closest sans-serif serves. Call once the application exists.
// Returns the family now in use.
QString installProgramFont();
