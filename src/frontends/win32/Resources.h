#pragma once

// Resource numbers shared by resources.rc and the code; windres reads this file too.
#define BRIVANTO_WINDOW_ICON 1
#define BRIVANTO_FOLDER_ICON 2
