#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <array>

namespace brivanto::qt {

// The layout table was drawn for the Windows dialog font, Tahoma 8 pt: its controls leave room
// for their captions in that font's widths, not in the desktop's (often a larger DejaVu Sans).
// The window takes the first of these families that is installed: Tahoma itself, then the
// fonts with Arial's widths, which come closest to Tahoma's (Liberation Sans is Debian's
// fonts-liberation2, Arimo the same design under another name), then DejaVu Sans.
inline constexpr std::array<const char*, 5> kUiFontFamilies{"Tahoma", "Liberation Sans", "Arimo",
                                                            "Arial", "DejaVu Sans"};
inline constexpr int kUiFontPoints = 8;

// The first of `families` that `installed` names (case aside); empty when none is.
QString FirstInstalledFamily(const QStringList& installed);

// The window's font: the first installed family of kUiFontFamilies at kUiFontPoints, or the
// application's own family at that size when none is installed.
QFont UiFont();

}  // namespace brivanto::qt
