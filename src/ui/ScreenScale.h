// How big the windows are made for the screen they open on.  The arithmetic is kept apart
// from any window so it can be checked for every screen width without having that screen.
#pragma once

#include <QSize>

namespace tavrin::ui {

// The scale percent of every window for a screen this wide; "large fonts" means more
// than 96 pixels per inch.
int ScreenScale(int screenWidth, bool largeFonts);

// The main window's own percent: the scale widened by 12/11, except on a screen of
// exactly 640 x 480, which is not scaled at all.
int MainWindowPercent(int screenWidth, int screenHeight, bool largeFonts);

// Distance of the main window from the top of the screen.
int MainWindowTop(int scale);

// Extra room to the right of the toolbar's last button.
int ToolbarMargin(int scale);

// The main window's first size: a base size grown by the percent, kept inside the screen.
QSize MainWindowSize(int percent, QSize available);

}  // namespace tavrin::ui
