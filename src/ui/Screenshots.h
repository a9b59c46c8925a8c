// Pictures of the program's windows in a known state, for the documentation and for
// looking at the windows without clicking through them.
#pragma once

#include <QString>
#include <QStringList>

namespace tavrin::ui {

class TfmMain;

// The scenes that can be pictured: "main", "requirements" (of a lowpass, or "requirements-highpass",
// "-bandpass", "-bandstop"), "results-lowpass", "results-bandstop",
// "dbconv", "help", "strategy", "user-defined" (a few sections entered), "transfer" (the stage
// transfer functions of an elliptic lowpass), "pairing", "cascading", "criteria" (the stage
// windows of an elliptic lowpass of order 5).
QStringList ScreenshotScenes();

// Sets the scene up in the (shown) main window and writes its PNG.  False for an unknown
// scene or a file that cannot be written.
bool SaveSceneScreenshot(TfmMain& main, const QString& scene, const QString& fileName);

}  // namespace tavrin::ui
