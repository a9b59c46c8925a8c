// How the pairing and cascading windows write poles, zeros and stages: the same words and
// numbers in both windows, every frequency in the unit the user has chosen.
#pragma once

#include <QAbstractItemView>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/DesignState.h"

class QTreeWidget;

namespace tavrin::ui {

// A frequency as every window shows it: "1.5 KHz", "9.425 Krad/s".
QString FrequencyText(double w, core::FrequencyUnit unit);
// Q with three decimals.
QString QualityText(double q);
// A stage's flatness with two decimals.
QString FlatnessText(double flatness);

// The pole list: kind, -sigma, +/- j omega, pole frequency, Q.
QStringList PoleListHeaders(core::FrequencyUnit unit);
QStringList PoleEntryTexts(const core::PolePairListEntry& entry, core::FrequencyUnit unit);
// The zero list: kind, zero frequency.
QStringList ZeroListHeaders(core::FrequencyUnit unit);
QStringList ZeroEntryTexts(const core::ZeroPairListEntry& entry, core::FrequencyUnit unit);

// The stage lists: number, type, poles, zeros (and the cascading window's flatness).
QStringList StageListHeaders(bool withFlatness);
// "POLE PAIR  fp: 1.2 KHz  Q: 3.456", "SNGL POLE  fp: 800 Hz", ...
QString StagePolesText(const core::Stage& stage, core::FrequencyUnit unit);
// "ZERO PAIR  fz: 2.5 KHz", "SNGL ZERO  fz: 0 Hz", or empty for an all-pole stage.
QString StageZerosText(const core::DesignState& state, const core::Stage& stage);

// A list of the pairing or cascading window: columns with headers, whole rows selected.
QTreeWidget* MakeRootList(const char* objectName, QAbstractItemView::SelectionMode mode);
// Puts every stage of the table in the list, in table order; the stage number rides along
// as the first column's data.  Returns nothing selected.
void FillStageList(QTreeWidget& list, const core::DesignState& state, bool withFlatness);
// The first column's data of the selected rows.
std::vector<int> SelectedNumbers(const QTreeWidget& list);
// Selects the rows whose number is listed.
void SelectNumbers(QTreeWidget& list, const std::vector<int>& numbers);

}  // namespace tavrin::ui
