#include "ui/ScreenScale.h"

#include <algorithm>

namespace tavrin::ui {

namespace {

// The size the window has at 100 percent: room for a design page below the toolbar.
constexpr int kBaseWidth = 640;
constexpr int kBaseHeight = 440;

}  // namespace

int ScreenScale(int screenWidth, bool largeFonts) {
  if (largeFonts) {
    if (screenWidth >= 1600) return 133;
    if (screenWidth >= 1200) return 124;
    if (screenWidth >= 1024) return 112;
    return 100;
  }
  if (screenWidth >= 1600) return 193;
  if (screenWidth >= 1200) return 160;
  if (screenWidth >= 1024) return 133;
  if (screenWidth >= 800) return 110;
  return 100;
}

int MainWindowPercent(int screenWidth, int screenHeight, bool largeFonts) {
  if (screenWidth == 640 && screenHeight == 480) return 100;
  return ScreenScale(screenWidth, largeFonts) * 12 / 11;
}

int MainWindowTop(int scale) {
  return scale * 25 / 100;
}

int ToolbarMargin(int scale) {
  return scale * 10 / 100;
}

QSize MainWindowSize(int percent, QSize available) {
  // Leave a rim of the desktop visible so the window does not look maximized.
  const int maxWidth = std::max(1, available.width() * 94 / 100);
  const int maxHeight = std::max(1, available.height() * 90 / 100);
  return {std::min(kBaseWidth * percent / 100, maxWidth), std::min(kBaseHeight * percent / 100, maxHeight)};
}

}  // namespace tavrin::ui
