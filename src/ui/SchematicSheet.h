// A contact sheet of every schematic the catalogue holds: one cell per script, titled with
// its code and caption, drawn with the values of a typical design of the circuit, so that
// every drawing can be looked over at once.
#pragma once

#include <QImage>
#include <QString>

namespace tavrin::ui {

// Columns of cells cellWidth pixels wide, as many rows as the scripts need.
QImage SchematicContactSheet(int columns = 4, int cellWidth = 640);
bool SaveSchematicContactSheet(const QString& fileName);

}  // namespace tavrin::ui
