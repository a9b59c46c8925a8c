// The screenshot scenes of the response graphs: an elliptic bandpass design with every
// approximation drawn, on each tab, zoomed, with the point calculator and the axis
// configuration, and a user-defined filter.
#pragma once

#include <QString>
#include <QStringList>

namespace tavrin::ui {

class TfmMain;

QStringList GraphScenes();
// Sets the scene up in the (shown) main window and writes its PNG; false for a scene of
// another window.
bool SaveGraphScene(TfmMain& main, const QString& scene, const QString& fileName, bool& handled);

}  // namespace tavrin::ui
