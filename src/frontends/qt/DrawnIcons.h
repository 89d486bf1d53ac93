#pragma once

#include <QPixmap>

namespace brivanto::qt {

// 32 x 32 images in the 16 colours of the standard VGA palette, drawn without antialiasing.
QPixmap FolderPixmap();    // the two browse buttons
QPixmap DatabasePixmap();  // the window icon

}  // namespace brivanto::qt
