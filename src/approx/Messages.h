// What the approximation engine has to tell the user.  The engine never shows anything:
// it hands back the exact text and its kind, and the window (or the command line) shows it.
#pragma once

#include <string>
#include <vector>

namespace tavrin::approx {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNoCancel, IgnoreCancel };

// The controls of the entry window an entry message can point at.
enum class EntryField {
  None,
  Apb,     // NumEdit1
  Asb,     // NumEdit2
  Pass,    // NumEdit3
  Stop,    // NumEdit4
  Center,  // NumEdit5
  Gain,    // NumEdit6
  Order,   // IntEdit1
};

struct Message {
  std::string text;
  MessageKind kind = MessageKind::Warning;
  MessageButtons buttons = MessageButtons::Ok;
  bool beep = false;                    // entry refusals beep before the box
  EntryField focus = EntryField::None;  // the field that receives the focus afterwards
};

using Messages = std::vector<Message>;

}  // namespace tavrin::approx
