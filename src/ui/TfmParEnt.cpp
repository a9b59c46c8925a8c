#include "ui/TfmParEnt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/NumberFormat.h"
#include "response/ResponseSetup.h"
#include "ui/Icons.h"
#include "ui/MessageBoxes.h"
#include "ui/NumEdit.h"
#include "ui/ResultsGrid.h"
#include "ui/TfmMain.h"
#include "ui/TolerancePicture.h"
#include "ui/WaitCursor.h"

namespace tavrin::ui {

namespace {

using approx::EntryField;
using approx::EntryUnit;
using core::FilterKind;
using core::FrequencyUnit;

QString Text(const char* s) {
  return QString::fromUtf8(s);
}

QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

bool IsBand(FilterKind kind) {
  return kind == FilterKind::Bandpass || kind == FilterKind::Bandstop;
}

const char* KindTitle(FilterKind kind) {
  switch (kind) {
    case FilterKind::Lowpass:
      return "Lowpass filter";
    case FilterKind::Highpass:
      return "Highpass filter";
    case FilterKind::Bandpass:
      return "Bandpass filter";
    case FilterKind::Bandstop:
      return "Bandstop filter";
    case FilterKind::UserDefined:
      break;
  }
  return "";
}

IconId KindIcon(FilterKind kind) {
  switch (kind) {
    case FilterKind::Highpass:
      return IconId::Highpass;
    case FilterKind::Bandpass:
      return IconId::Bandpass;
    case FilterKind::Bandstop:
      return IconId::Bandstop;
    default:
      return IconId::Lowpass;
  }
}

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(Text(name));
  return widget;
}

EntryUnit BoxUnit(const QComboBox* box) {
  return approx::ParseEntryUnit(box->currentText().toStdString()).value_or(EntryUnit::kHz);
}

// A frequency written back after a unit change: three decimals, fewer when the field
// could not hold them.
QString FrequencyText(double value, int maxLength) {
  std::string text;
  for (int decimals = 3; decimals >= 0; --decimals) {
    text = core::TrimLeadingBlanks(core::FormatFixed(value, 1, decimals));
    if (static_cast<int>(text.size()) <= maxLength) break;
  }
  return Text(text);
}

// The value a frequency field names, when it holds a usable number.
bool FieldNumber(const QString& text, double& value) {
  return core::TryParseReal(text.toStdString(), value) && value > 0;
}

}  // namespace

TfmParEnt::TfmParEnt(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("TfmParEnt"));
  setWindowTitle(Text(kCaption));
  BuildControls();
}

// ---------------------------------------------------------------------------------------
// Building

void TfmParEnt::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  layout->setSpacing(8);

  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  kindIcon_ = Named(new QLabel, "KindIcon");
  header->addWidget(kindIcon_);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  kindTitle_ = Named(new QLabel, "KindTitle");
  QFont titleFont = kindTitle_->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  titleFont.setBold(true);
  kindTitle_->setFont(titleFont);
  titles->addWidget(kindTitle_);
  caption_ = Named(new QLabel(Text(kCaption)), "Caption");
  caption_->setForegroundRole(QPalette::PlaceholderText);
  titles->addWidget(caption_);
  header->addLayout(titles, 1);
  layout->addLayout(header);

  auto* body = new QHBoxLayout;
  body->setSpacing(12);
  body->addWidget(BuildEntryPanel());
  body->addWidget(BuildTabs(), 1);
  layout->addLayout(body, 1);
  layout->addWidget(BuildButtons());

  // Every entry disables Next: the results shown no longer belong to what is typed.
  for (TNumEdit* edit : {NumEdit1, NumEdit2, NumEdit3, NumEdit4, NumEdit5, NumEdit6}) {
    connect(edit, &QLineEdit::textEdited, this, &TfmParEnt::EditMade);
    connect(edit, &QLineEdit::textChanged, this, &TfmParEnt::UpdatePicture);
  }
  connect(IntEdit1, &QLineEdit::textEdited, this, &TfmParEnt::EditMade);
  for (QComboBox* box : {CB1, CB2, CB3}) {
    connect(box, &QComboBox::activated, this, &TfmParEnt::EditMade);
    connect(box, &QComboBox::currentIndexChanged, this, &TfmParEnt::UpdatePicture);
  }
  connect(CB4, &QComboBox::activated, this, [this] {
    // A new gain unit starts the gain over at unity.
    NumEdit6->setText(CB4->currentText() == QLatin1String("dB") ? QStringLiteral("0") : QStringLiteral("1"));
    EditMade();
  });
  connect(CheckBox1, &QCheckBox::clicked, this, &TfmParEnt::CheckBox1Click);
  connect(CalcBtn, &QPushButton::clicked, this, &TfmParEnt::CalcBtnClick);
  connect(BitBtn1, &QPushButton::clicked, this, &TfmParEnt::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TfmParEnt::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TfmParEnt::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TfmParEnt::BitBtn4Click);
  connect(TabCtrl1, &QTabWidget::currentChanged, this, &TfmParEnt::UpdateCopyCommand);

  setTabOrder(NumEdit1, NumEdit2);
  setTabOrder(NumEdit2, NumEdit3);
  setTabOrder(NumEdit3, CB1);
  setTabOrder(CB1, NumEdit4);
  setTabOrder(NumEdit4, CB2);
  setTabOrder(CB2, NumEdit5);
  setTabOrder(NumEdit5, CB3);
  setTabOrder(CB3, NumEdit6);
  setTabOrder(NumEdit6, CB4);
  setTabOrder(CB4, CheckBox1);
  setTabOrder(CheckBox1, IntEdit1);
  setTabOrder(IntEdit1, CalcBtn);
  setTabOrder(CalcBtn, BitBtn1);
}

QWidget* TfmParEnt::BuildEntryPanel() {
  auto* panel = Named(new QWidget, "EntryPanel");
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);

  auto numEdit = [](const char* name, int maxLength) {
    auto* edit = Named(new TNumEdit, name);
    edit->setMaxLength(maxLength);
    const QFontMetrics fm(edit->font());
    edit->setFixedWidth(fm.horizontalAdvance(QStringLiteral("000000.0")) + 16);
    return edit;
  };
  auto unitLabel = [](const char* name) {
    auto* label = Named(new QLabel(QStringLiteral("dB")), name);
    label->setMinimumWidth(QFontMetrics(label->font()).horizontalAdvance(QStringLiteral("krad/s")) + 24);
    return label;
  };
  auto grid = [](QGroupBox* box) {
    auto* g = new QGridLayout(box);
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(6);
    g->setColumnStretch(0, 1);
    return g;
  };

  auto* attenuation = Named(new QGroupBox(QStringLiteral("Attenuation")), "AttenuationGroup");
  QGridLayout* a = grid(attenuation);
  apbLabel_ = Named(new QLabel(QStringLiteral("Passband Attenuation (Apb):")), "ApbLabel");
  asbLabel_ = Named(new QLabel(QStringLiteral("Stopband Attenuation (Asb):")), "AsbLabel");
  NumEdit1 = numEdit("NumEdit1", 5);
  NumEdit2 = numEdit("NumEdit2", 5);
  apbUnit_ = unitLabel("ApbUnit");
  asbUnit_ = unitLabel("AsbUnit");
  a->addWidget(apbLabel_, 0, 0);
  a->addWidget(NumEdit1, 0, 1);
  a->addWidget(apbUnit_, 0, 2);
  a->addWidget(asbLabel_, 1, 0);
  a->addWidget(NumEdit2, 1, 1);
  a->addWidget(asbUnit_, 1, 2);
  apbLabel_->setBuddy(NumEdit1);
  asbLabel_->setBuddy(NumEdit2);
  column->addWidget(attenuation);

  auto* frequencies = Named(new QGroupBox(QStringLiteral("Frequencies")), "FrequencyGroup");
  QGridLayout* f = grid(frequencies);
  passLabel_ = Named(new QLabel, "PassLabel");
  stopLabel_ = Named(new QLabel, "StopLabel");
  centerLabel_ = Named(new QLabel, "CenterLabel");
  NumEdit3 = numEdit("NumEdit3", 6);
  NumEdit4 = numEdit("NumEdit4", 6);
  NumEdit5 = numEdit("NumEdit5", 6);
  CB1 = Named(new QComboBox, "CB1");
  CB2 = Named(new QComboBox, "CB2");
  CB3 = Named(new QComboBox, "CB3");
  const std::array<std::tuple<QLabel*, TNumEdit*, QComboBox*>, 3> rows = {
      {{passLabel_, NumEdit3, CB1}, {stopLabel_, NumEdit4, CB2}, {centerLabel_, NumEdit5, CB3}}};
  for (int r = 0; r < 3; ++r) {
    auto [label, edit, box] = rows[static_cast<std::size_t>(r)];
    box->setMinimumWidth(QFontMetrics(box->font()).horizontalAdvance(QStringLiteral("krad/s")) + 40);
    f->addWidget(label, r, 0);
    f->addWidget(edit, r, 1);
    f->addWidget(box, r, 2);
    label->setBuddy(edit);
  }
  column->addWidget(frequencies);

  auto* gainOrder = Named(new QGroupBox(QStringLiteral("Gain and order")), "GainGroup");
  QGridLayout* g = grid(gainOrder);
  gainLabel_ = Named(new QLabel(QStringLiteral("Overall Gain:")), "GainLabel");
  NumEdit6 = numEdit("NumEdit6", 6);
  CB4 = Named(new QComboBox, "CB4");
  CB4->addItems({QStringLiteral("V/V"), QStringLiteral("dB")});
  CB4->setMinimumWidth(CB1->minimumWidth());
  CheckBox1 = Named(new QCheckBox(QStringLiteral("Force Filter Order:")), "CheckBox1");
  IntEdit1 = Named(new TIntEdit, "IntEdit1");
  IntEdit1->setMaxLength(2);
  IntEdit1->setFixedWidth(NumEdit6->width());
  g->addWidget(gainLabel_, 0, 0);
  g->addWidget(NumEdit6, 0, 1);
  g->addWidget(CB4, 0, 2);
  g->addWidget(CheckBox1, 1, 0);
  g->addWidget(IntEdit1, 1, 1);
  gainLabel_->setBuddy(NumEdit6);
  column->addWidget(gainOrder);
  column->addStretch(1);
  auto* hint = Named(new QLabel(QStringLiteral(
                         "Type what the filter must do, then press Calculate: all five approximations are "
                         "designed and compared. Enter moves to the next field; Help explains every entry.")),
                     "EntryHint");
  hint->setWordWrap(true);
  hint->setForegroundRole(QPalette::PlaceholderText);
  column->addWidget(hint);
  return panel;
}

QWidget* TfmParEnt::BuildTabs() {
  TabCtrl1 = Named(new QTabWidget, "TabCtrl1");
  TabCtrl1->setDocumentMode(false);

  templatePage_ = Named(new QWidget, "TemplatePage");
  auto* t = new QVBoxLayout(templatePage_);
  t->setContentsMargins(6, 6, 6, 6);
  picture_ = new TolerancePicture;
  t->addWidget(picture_);
  TabCtrl1->addTab(templatePage_, Text(kTemplateTab));

  // The results page exists from the start; it joins the tabs after the first Calculate.
  // In a small window the results scroll rather than squeeze: the table keeps its size.
  resultsPage_ = Named(new QScrollArea, "ResultsPage");
  auto* scroll = static_cast<QScrollArea*>(resultsPage_);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* content = Named(new QWidget, "ResultsContent");
  scroll->setWidget(content);
  auto* r = new QVBoxLayout(content);
  r->setContentsMargins(8, 8, 8, 8);
  r->setSpacing(8);
  results_ = new ResultsGrid;
  r->addWidget(results_);
  resultsNote_ = Named(new QLabel, "ResultsNote");
  resultsNote_->setWordWrap(true);
  resultsNote_->setStyleSheet(QStringLiteral("color: #c62828;"));
  r->addWidget(resultsNote_);
  auto* legend = Named(new QLabel(QStringLiteral(
                           "<b>Order</b> is the number of poles each approximation needs to meet the "
                           "requirements, and <b>Circuit stages</b> the op-amp sections that build it. "
                           "<b>Max. pole Qp</b> is the highest pole Q: the higher it is, the more a stage "
                           "depends on exact component values. Lower order and lower Q make a simpler, "
                           "more forgiving filter; Next lets you compare the responses.")),
                       "ResultsLegend");
  legend->setWordWrap(true);
  legend->setTextFormat(Qt::RichText);
  legend->setForegroundRole(QPalette::PlaceholderText);
  r->addWidget(legend);
  r->addStretch(1);
  resultsPage_->hide();
  return TabCtrl1;
}

QWidget* TfmParEnt::BuildButtons() {
  auto* bar = Named(new QWidget, "ButtonBar");
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 4, 0, 0);
  row->setSpacing(8);
  BitBtn4 = Named(new QPushButton(QStringLiteral("Help")), "BitBtn4");
  BitBtn2 = Named(new QPushButton(QStringLiteral("Strategy")), "BitBtn2");
  CalcBtn = Named(new QPushButton(QStringLiteral("Calculate")), "CalcBtn");
  BitBtn1 = Named(new QPushButton(QStringLiteral("Next")), "BitBtn1");
  BitBtn3 = Named(new QPushButton(QStringLiteral("&Close")), "BitBtn3");
  // The one button that does the work stands out.
  CalcBtn->setStyleSheet(QStringLiteral(
      "QPushButton { background: #1d6fd8; color: white; font-weight: bold; border: 1px solid #1a5fb8;"
      " border-radius: 4px; padding: 4px 14px; }"
      "QPushButton:hover { background: #2a7de6; }"
      "QPushButton:pressed { background: #185fbd; }"
      "QPushButton:focus { border: 2px solid #0d3f86; }"));
  for (QPushButton* b : {BitBtn4, BitBtn2, CalcBtn, BitBtn1, BitBtn3}) b->setMinimumWidth(92);
  row->addWidget(BitBtn4);
  row->addWidget(BitBtn2);
  row->addStretch(1);
  row->addWidget(CalcBtn);
  row->addWidget(BitBtn1);
  row->addWidget(BitBtn3);
  return bar;
}

// ---------------------------------------------------------------------------------------
// Set-up

void TfmParEnt::OpenForKind(FilterKind kind) {
  core::DesignState& s = main_.State();
  s.spec.kind = kind;
  main_.SetDesignOpen(true);

  SetKindHeader(kind);
  ApplyForceOrder(false);
  CheckBox1->setChecked(false);
  IntEdit1->clear();
  SetGainDefault();
  FillUnitBoxes();
  SetLabels();

  const approx::SpecEntries defaults = approx::DefaultEntries(kind, s.frequencyUnit, s.idealGraph.gainInDb);
  NumEdit1->setText(Text(defaults.apb));
  NumEdit2->setText(Text(defaults.asb));
  NumEdit3->setText(Text(defaults.pass));
  NumEdit4->setText(Text(defaults.stop));
  NumEdit5->setText(Text(defaults.center));
  // The requirements starts from the same values, so a file saved now reads back as shown.
  s.spec.apbEntered = core::ParseReal(defaults.apb);
  s.spec.asbEntered = core::ParseReal(defaults.asb);
  s.spec.passEntered = core::ParseReal(defaults.pass);
  s.spec.stopEntered = core::ParseReal(defaults.stop);
  s.spec.centerEntered = core::ParseReal(defaults.center);
  s.spec.passUnit = s.spec.stopUnit = s.spec.centerUnit = 1;

  ResetResults();
  SetNextEnabled(false);
  UpdatePicture();
  NumEdit1->setFocus();
  NumEdit1->selectAll();
}

void TfmParEnt::SetKindHeader(FilterKind kind) {
  kindTitle_->setText(Text(KindTitle(kind)));
  kindIcon_->setPixmap(MakeIcon(KindIcon(kind)).pixmap(QSize(36, 36), devicePixelRatioF()));
  picture_->SetKind(kind);
  const bool band = IsBand(kind);
  centerLabel_->setVisible(band);
  NumEdit5->setVisible(band);
  CB3->setVisible(band);
}

void TfmParEnt::RestoreDesign() {
  core::DesignState& s = main_.State();
  const core::FilterSpec& sp = s.spec;
  main_.SetDesignOpen(true);
  SetKindHeader(sp.kind);
  FillUnitBoxes();
  const std::array<std::pair<QComboBox*, int>, 3> boxes = {
      {{CB1, sp.passUnit}, {CB2, sp.stopUnit}, {CB3, sp.centerUnit}}};
  for (const auto& [box, index] : boxes) {
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(std::clamp(index, 0, box->count() - 1));
  }
  SetLabels();

  auto entered = [](double v) { return Text(core::TrimZeros(core::TrimLeadingBlanks(core::FormatFixed(v, 1, 3)))); };
  NumEdit1->setText(entered(sp.apbEntered));
  NumEdit2->setText(entered(sp.asbEntered));
  NumEdit3->setText(entered(sp.passEntered));
  NumEdit4->setText(entered(sp.stopEntered));
  NumEdit5->setText(entered(sp.centerEntered));
  const bool db = s.idealGraph.gainInDb;
  CB4->setCurrentIndex(db ? 1 : 0);
  NumEdit6->setText(entered(db && sp.overallGain > 0 ? 20.0 * std::log10(sp.overallGain) : sp.overallGain));

  {
    const QSignalBlocker quiet(CheckBox1);
    CheckBox1->setChecked(sp.forceOrder);
  }
  ApplyForceOrder(sp.forceOrder);
  if (sp.forceOrder) {
    IntEdit1->setText(QString::number(sp.forcedOrder));
  } else {
    IntEdit1->clear();
  }

  approx::SummarizeSlots(s);
  ShowTable(approx::BuildResultsTable(s));
  // Beyond the choice of an approximation the graphs are restored and Next leads to them.
  // Before it there is nothing derived to go back to, so Next starts the steps afresh
  // from the restored results, as after a Calculate.
  const bool anyResult = std::any_of(s.results.begin(), s.results.end(),
                                     [](const core::ApproxResult& r) { return r.order > 0; });
  if (s.designStep > 2) {
    SetNextEnabled(true);
  } else {
    s.stepsStale = anyResult && !s.nextDisabled;
    SetNextEnabled(s.stepsStale);
  }
  UpdatePicture();
}

void TfmParEnt::SetLabels() {
  const FilterKind kind = main_.State().spec.kind;
  const bool hz = main_.State().frequencyUnit == FrequencyUnit::Hz;
  if (IsBand(kind)) {
    passLabel_->setText(QStringLiteral("Passband Bandwidth (Bpb):"));
    stopLabel_->setText(QStringLiteral("Stopband Bandwidth (Bsb):"));
  } else {
    passLabel_->setText(hz ? QStringLiteral("Passband Frequency (fpb):")
                           : QStringLiteral("Passband Frequency (wpb):"));
    stopLabel_->setText(hz ? QStringLiteral("Stopband Frequency (fsb):")
                           : QStringLiteral("Stopband Frequency (wsb):"));
  }
  centerLabel_->setText(hz ? QStringLiteral("Center Frequency (f0):")
                           : QStringLiteral("Center Frequency (w0):"));
  picture_->SetRadians(!hz);
}

void TfmParEnt::FillUnitBoxes() {
  const FrequencyUnit unit = main_.State().frequencyUnit;
  for (QComboBox* box : {CB1, CB2, CB3}) {
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItem(Text(approx::EntryUnitText(approx::UnitForBox(unit, 0))));
    box->addItem(Text(approx::EntryUnitText(approx::UnitForBox(unit, 1))));
    box->setCurrentIndex(1);
  }
}

void TfmParEnt::SetGainDefault() {
  const bool db = main_.State().idealGraph.gainInDb;
  CB4->setCurrentIndex(db ? 1 : 0);
  NumEdit6->setText(db ? QStringLiteral("0") : QStringLiteral("1.0"));
}

void TfmParEnt::ApplyForceOrder(bool forced) {
  main_.State().spec.forceOrder = forced;
  // The stopband is not asked for while the order is given: its entries step back.
  for (QLabel* label : {asbLabel_, asbUnit_, stopLabel_}) {
    label->setEnabled(!forced);
  }
  NumEdit2->setEnabled(!forced);
  NumEdit4->setEnabled(!forced);
  CB2->setEnabled(!forced);
  IntEdit1->setEnabled(forced);
  picture_->SetStopbandFaint(forced);
}

void TfmParEnt::CheckBox1Click() {
  if (!isVisible()) return;
  const bool forced = CheckBox1->isChecked();
  ApplyForceOrder(forced);
  SetNextEnabled(false);
  if (forced) IntEdit1->setFocus();
}

void TfmParEnt::RefreshForUnit() {
  // Each frequency is read in the unit it was typed in and written in the new one.
  struct Field {
    TNumEdit* edit;
    QComboBox* box;
    bool ok;
    double rad;
  };
  std::array<Field, 3> fields = {
      {{NumEdit3, CB1, false, 0}, {NumEdit4, CB2, false, 0}, {NumEdit5, CB3, false, 0}}};
  for (Field& f : fields) {
    double value = 0;
    f.ok = FieldNumber(f.edit->text(), value);
    f.rad = value * approx::EntryUnitFactor(BoxUnit(f.box));
  }
  // The stored entries follow, so that a design saved now reads back naming the same
  // frequencies in the unit now shown.
  core::FilterSpec& sp = main_.State().spec;
  const bool wasRadians = BoxUnit(CB1) == EntryUnit::RadPerSec || BoxUnit(CB1) == EntryUnit::kRadPerSec;
  const FrequencyUnit previous = wasRadians ? FrequencyUnit::RadPerSec : FrequencyUnit::Hz;
  const std::array<std::pair<double*, std::int16_t*>, 3> stored = {
      {{&sp.passEntered, &sp.passUnit}, {&sp.stopEntered, &sp.stopUnit}, {&sp.centerEntered, &sp.centerUnit}}};
  FillUnitBoxes();
  SetLabels();
  for (const auto& [value, index] : stored) {
    const double rad = *value * approx::EntryUnitFactor(approx::UnitForBox(previous, *index));
    *value = rad / approx::EntryUnitFactor(approx::UnitForBox(main_.State().frequencyUnit, 1));
    *index = 1;
  }
  for (const Field& f : fields) {
    if (!f.ok) continue;
    const double value = f.rad / approx::EntryUnitFactor(BoxUnit(f.box));
    const QString text = FrequencyText(value, f.edit->maxLength());
    if (text.size() > f.edit->maxLength()) f.edit->setMaxLength(static_cast<int>(text.size()));
    f.edit->setText(text);
  }
  UpdatePicture();
}

void TfmParEnt::ResetResults() {
  const int index = TabCtrl1->indexOf(resultsPage_);
  if (index >= 0) TabCtrl1->removeTab(index);
  results_->SetTable(approx::ResultsTable{});
  resultsNote_->clear();
  resultsNote_->hide();
  TabCtrl1->setCurrentIndex(0);
  UpdateCopyCommand();
}

// ---------------------------------------------------------------------------------------
// State of the window

approx::SpecEntries TfmParEnt::Entries() const {
  approx::SpecEntries e;
  e.kind = main_.State().spec.kind;
  e.apb = NumEdit1->text().toStdString();
  e.asb = NumEdit2->text().toStdString();
  e.pass = NumEdit3->text().toStdString();
  e.stop = NumEdit4->text().toStdString();
  e.center = NumEdit5->text().toStdString();
  e.passUnit = BoxUnit(CB1);
  e.stopUnit = BoxUnit(CB2);
  e.centerUnit = BoxUnit(CB3);
  e.gain = NumEdit6->text().toStdString();
  e.gainUnit =
      CB4->currentText() == QLatin1String("dB") ? approx::GainUnit::Decibel : approx::GainUnit::VoltsPerVolt;
  e.forceOrder = CheckBox1->isChecked();
  e.order = IntEdit1->text().toStdString();
  return e;
}

bool TfmParEnt::ResultsShown() const {
  return TabCtrl1->currentWidget() == resultsPage_;
}

bool TfmParEnt::NextEnabled() const {
  return BitBtn1->isEnabled();
}

void TfmParEnt::SetNextEnabled(bool enabled) {
  BitBtn1->setEnabled(enabled);
  main_.State().nextDisabled = !enabled;
}

void TfmParEnt::EditMade() {
  SetNextEnabled(false);
}

void TfmParEnt::ShowResultsTab(bool select) {
  if (TabCtrl1->indexOf(resultsPage_) < 0) TabCtrl1->addTab(resultsPage_, Text(kResultsTab));
  if (select) TabCtrl1->setCurrentWidget(resultsPage_);
}

void TfmParEnt::UpdateCopyCommand() {
  // The clipboard takes the results table; the template picture is not a result.
  if (main_.Pages() && main_.Pages()->currentWidget() == this) main_.SetCopyTargetHidden(!ResultsShown());
}

void TfmParEnt::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateCopyCommand();
}

QPixmap TfmParEnt::ResultsPicture() {
  return results_->CopyPicture();
}

void TfmParEnt::UpdatePicture() {
  auto valued = [](const QLineEdit* edit, const QString& unit) {
    double v = 0;
    return FieldNumber(edit->text(), v) ? edit->text() + QLatin1Char(' ') + unit : QString();
  };
  TolerancePicture::Values v;
  v.apb = valued(NumEdit1, QStringLiteral("dB"));
  v.asb = valued(NumEdit2, QStringLiteral("dB"));
  v.pass = valued(NumEdit3, CB1->currentText());
  v.stop = valued(NumEdit4, CB2->currentText());
  v.center = valued(NumEdit5, CB3->currentText());
  picture_->SetValues(v);
}

QWidget* TfmParEnt::FieldFor(EntryField field) const {
  switch (field) {
    case EntryField::Apb:
      return NumEdit1;
    case EntryField::Asb:
      return NumEdit2;
    case EntryField::Pass:
      return NumEdit3;
    case EntryField::Stop:
      return NumEdit4;
    case EntryField::Center:
      return NumEdit5;
    case EntryField::Gain:
      return NumEdit6;
    case EntryField::Order:
      return IntEdit1;
    case EntryField::None:
      break;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// Calculate and the buttons

void TfmParEnt::CalcBtnClick() {
  core::DesignState& s = main_.State();
  if (approx::CalculateNeedsConfirmation(s) &&
      ShowMessage(main_.Presenter(), this, approx::ReinitializeQuestion()) != QMessageBox::Ok) {
    return;
  }

  approx::CalculateRequest request;
  request.entries = Entries();
  if (main_.AppPaths()) request.besselTable = main_.AppPaths()->programData / "BessRoot.dat";
  approx::CalculateHooks hooks;
  hooks.confirm = [](const approx::Message&) { return true; };  // asked above, before the hourglass
  hooks.resultsReady = [this] {
    ShowResultsTab(true);
    QApplication::processEvents();
  };
  hooks = response::ResponseHooks(hooks);

  approx::CalculateOutcome outcome;
  {
    WaitCursor busy;
    outcome = approx::Calculate(s, request, hooks);
  }
  ShowOutcome(outcome);
}

void TfmParEnt::ShowTable(const approx::ResultsTable& table) {
  results_->SetTable(table);
  bool excluded = false;
  for (int slot = 0; slot < core::kSlotCount; ++slot) excluded = excluded || results_->CellIsRed(7, slot);
  resultsNote_->setText(excluded ? QStringLiteral("An approximation marked in red needs a pole Q above 300, "
                                                  "more than a real circuit can hold; it cannot be chosen.")
                                 : QString());
  resultsNote_->setVisible(excluded);
  ShowResultsTab(true);
}

void TfmParEnt::ShowOutcome(const approx::CalculateOutcome& outcome) {
  using approx::CalculateStatus;
  if (outcome.status == CalculateStatus::Cancelled) return;

  if (outcome.showResults) ShowTable(outcome.table);
  const bool resultsStand =
      outcome.status == CalculateStatus::Completed || outcome.status == CalculateStatus::GainRefused;
  // A refusal after the slots were cleared, a failed design or a design without any result
  // leaves nothing the old table could stand for: it goes, and so does saving it.
  const bool cleared = std::all_of(main_.State().results.begin(), main_.State().results.end(),
                                   [](const core::ApproxResult& r) { return r.order == 0 && !r.tooHigh; });
  if (outcome.status == CalculateStatus::DesignFailed || outcome.status == CalculateStatus::NoResult ||
      (outcome.status == CalculateStatus::EntriesRefused && cleared)) {
    ResetResults();
    main_.SetDesignAvailable(false);
  }
  SetNextEnabled(resultsStand && outcome.nextEnabled);
  if (outcome.status == CalculateStatus::Completed) main_.SetDesignAvailable(true);

  for (const approx::Message& message : outcome.messages) {
    ShowMessage(main_.Presenter(), this, message);
    QWidget* field = FieldFor(message.focus);
    // A refused gain sends the user back to the gain, like a refused entry.
    if (!field && outcome.status == CalculateStatus::GainRefused) field = NumEdit6;
    if (field) {
      field->setFocus();
      if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
  }
}

void TfmParEnt::BitBtn1Click() {
  core::DesignState& s = main_.State();
  {
    WaitCursor busy;
    if (s.stepsStale) {
      s.designStep = 2;
      core::SetCurrentSlot(s, 0);
    }
  }
  main_.ShowGraphs();
}

void TfmParEnt::BitBtn2Click() {
  main_.ShowStrategy(0);
}

void TfmParEnt::BitBtn3Click() {
  if (main_.SavePrompt()) main_.ResetDesign();
}

void TfmParEnt::BitBtn4Click() {
  main_.ShowHelp(QStringLiteral("requirements.html"));
}

}  // namespace tavrin::ui
