// The program's toolbar and menu pictures.  They are drawn as vectors at whatever size
// and pixel density a button asks for, so they stay sharp on every screen, and the
// disabled look is drawn on purpose rather than faded by the style.
#pragma once

#include <QIcon>

namespace tavrin::ui {

enum class IconId {
  CopyToClipboard,
  SaveDesign,
  SaveDesignAs,
  Print,
  OpenDesign,
  CloseDesign,
  SpiceNetlist,
  Lowpass,
  Highpass,
  Bandpass,
  Bandstop,
  UserDefined,
  UnitHz,
  UnitRadPerSec,
  AsciiFile,
  TransferFunction,
  About,
};

QIcon MakeIcon(IconId id);

}  // namespace tavrin::ui
