// What the parts of the graph window share: its texts and numbers.
#pragma once

#include <QString>
#include <string>

namespace tavrin::ui::graph {

inline QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

// Five significant digits, no blanks: the roots and the read-out.
inline QString Number(double x) {
  return QString::number(x, 'g', 5);
}

}  // namespace tavrin::ui::graph
