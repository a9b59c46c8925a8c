#include "ui/TfmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/AboutBox.h"
#include "ui/AppInfo.h"
#include "ui/TfmCirSel.h"
#include "ui/TfmGraph.h"
#include "ui/HelpWindow.h"
#include "ui/Icons.h"
#include "ui/ScreenScale.h"
#include "ui/TfmCascade.h"
#include "ui/TfmPairs.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmTransfer.h"
#include "ui/TfmUser.h"

namespace tavrin::ui {

namespace {

using core::FilterKind;
using core::FrequencyUnit;

// One Start Design command: its menu item and its toolbar button.
struct KindCommand {
  FilterKind kind;
  const char* caption;
  const char* menuName;
  const char* hint;
  const char* buttonName;
  IconId icon;
};

constexpr std::array<KindCommand, 5> kKindCommands = {{
    {FilterKind::Lowpass, "&Lowpass", "Lowpass1", "Lowpass Filter", "LowpassBtn", IconId::Lowpass},
    {FilterKind::Highpass, "&Highpass", "Highpass1", "Highpass Filter", "HighpassBtn", IconId::Highpass},
    {FilterKind::Bandpass, "&Bandpass", "Bandpass1", "Bandpass Filter", "BandpassBtn", IconId::Bandpass},
    {FilterKind::Bandstop, "Band&stop", "Bandstop1", "Bandstop Filter", "BandstopBtn", IconId::Bandstop},
    {FilterKind::UserDefined, "&User defined", "userdefined1", "User-Defined Filter", "UserDefinedBtn",
     IconId::UserDefined},
}};

QString Text(const char* text) {
  return QString::fromUtf8(text);
}

QAction* AddItem(QMenu* menu, const char* caption, const char* name) {
  QAction* action = menu->addAction(Text(caption));
  action->setObjectName(Text(name));
  return action;
}

QMenu* AddSubmenu(QMenu* menu, const char* caption, const char* name) {
  QMenu* sub = menu->addMenu(Text(caption));
  sub->setObjectName(Text(name));
  return sub;
}

QMenu* AddMenu(QMenuBar* bar, const char* caption, const char* name) {
  QMenu* menu = bar->addMenu(Text(caption));
  menu->setObjectName(Text(name));
  return menu;
}

// A pair of exclusive checked items, such as Automatic / User-interactive.
QActionGroup* MakeRadioGroup(QObject* owner, std::initializer_list<QAction*> actions) {
  auto* group = new QActionGroup(owner);
  group->setExclusive(true);
  for (QAction* action : actions) {
    action->setCheckable(true);
    group->addAction(action);
  }
  return group;
}

void SetEnabled(std::initializer_list<QAction*> actions, bool enabled) {
  for (QAction* action : actions) action->setEnabled(enabled);
}

// A recent file's menu caption shows its path; an '&' in it must not become an accelerator.
QString RecentCaption(int number, const std::string& path) {
  QString shown = QString::fromStdString(path);
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

}  // namespace

TfmMain::TfmMain(QWidget* parent)
    : QMainWindow(parent),
      state_(std::make_unique<core::DesignState>()),
      presenter_(std::make_unique<MessagePresenter>()),
      fileDialogs_(std::make_unique<FileDialogs>()) {
  setObjectName(QStringLiteral("fmMain"));
  BuildMenus();
  BuildToolbar();
  BuildStatusStrip();
  BuildPages();

  paths_ = core::ResolvePaths();
  if (paths_) LoadPreferences();
  ShowPreferences();
  RebuildRecentFileMenu();

  UpdateWindowTitle();
  // The op-amp of every stage starts as a 1 MHz part with the user's characteristics.
  for (int s = 1; s <= core::kMaxStages; ++s) {
    core::CircuitRecord& circuit = state_->circuits[s];
    circuit.OpAmpGbw = 1e6;
    circuit.OpAmpTolerance = settings_.characteristics.OpTolerance;
    circuit.OpAmpTempCoeff = settings_.characteristics.OpTempCoeff;
    circuit.Noise = settings_.characteristics.Noise;
  }
  state_->designStep = 0;
  UpdateCommandStates();
  PlaceOnScreen();
}

TfmMain::~TfmMain() = default;

void TfmMain::ShowStartupError(QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), Text(kNoSettingsFolderMessage),
                  QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("StartupError"));
  box.exec();
}

// ---------------------------------------------------------------------------------------
// Building the window

void TfmMain::BuildMenus() {
  BuildFileMenu();
  BuildStartDesignMenu();
  BuildOptionsMenu();
  BuildInventoryMenu();
  BuildToolsMenu();
  BuildHelpMenu();
}

void TfmMain::BuildFileMenu() {
  fileMenu_ = AddMenu(menuBar(), "&File", "File1");
  open1_ = AddItem(fileMenu_, "&Open Design...", "open1");
  Savedesign1_ = AddItem(fileMenu_, "&Save Design", "Savedesign1");
  Savedesignas1_ = AddItem(fileMenu_, "Save &Design As...", "Savedesignas1");
  CloseDesign1_ = AddItem(fileMenu_, "&Close Design", "CloseDesign1");
  fileMenu_->addSeparator();
  Copytoclipboard1_ = AddItem(fileMenu_, "Copy &to Clipboard", "Copytoclipboard1");
  SavetoAsciiFile1_ = AddItem(fileMenu_, "Save data to &Ascii File", "SavetoAsciiFile1");
  CreateSPICEnetlist1_ = AddItem(fileMenu_, "Save SPICE &Netlist", "CreateSPICEnetlist1");
  Print1_ = AddItem(fileMenu_, "&Print", "Print1");
  fileMenu_->addSeparator();
  Exit1_ = AddItem(fileMenu_, "E&xit", "Exit1");

  open1_->setIcon(MakeIcon(IconId::OpenDesign));
  Savedesign1_->setIcon(MakeIcon(IconId::SaveDesign));
  Savedesignas1_->setIcon(MakeIcon(IconId::SaveDesignAs));
  CloseDesign1_->setIcon(MakeIcon(IconId::CloseDesign));
  Copytoclipboard1_->setIcon(MakeIcon(IconId::CopyToClipboard));
  SavetoAsciiFile1_->setIcon(MakeIcon(IconId::AsciiFile));
  CreateSPICEnetlist1_->setIcon(MakeIcon(IconId::SpiceNetlist));
  Print1_->setIcon(MakeIcon(IconId::Print));

  connect(open1_, &QAction::triggered, this, &TfmMain::open1Click);
  connect(Savedesign1_, &QAction::triggered, this, &TfmMain::Savedesign1Click);
  connect(Savedesignas1_, &QAction::triggered, this, &TfmMain::Savedesignas1Click);
  connect(CloseDesign1_, &QAction::triggered, this, &TfmMain::CloseDesign1Click);
  connect(Copytoclipboard1_, &QAction::triggered, this, &TfmMain::Copytoclipboard1Click);
  connect(SavetoAsciiFile1_, &QAction::triggered, this, &TfmMain::SavetoAsciiFile1Click);
  connect(CreateSPICEnetlist1_, &QAction::triggered, this, &TfmMain::CreateSPICEnetlist1Click);
  connect(Print1_, &QAction::triggered, this, &TfmMain::Print1Click);
  connect(Exit1_, &QAction::triggered, this, &TfmMain::Exit1Click);
}

void TfmMain::BuildStartDesignMenu() {
  QMenu* menu = AddMenu(menuBar(), "&Start Design", "StartDesign1");
  for (std::size_t i = 0; i < kKindCommands.size(); ++i) {
    const KindCommand& command = kKindCommands[i];
    if (command.kind == FilterKind::UserDefined) menu->addSeparator();
    QAction* action = AddItem(menu, command.caption, command.menuName);
    action->setIcon(MakeIcon(command.icon));
    connect(action, &QAction::triggered, this, [this, kind = command.kind] { StartDesign(kind); });
    kindMenu_[i] = action;
  }
}

void TfmMain::BuildOptionsMenu() {
  QMenu* menu = AddMenu(menuBar(), "&Options", "Options1");

  pairingMenu_ = AddSubmenu(menu, "&Pole-zero pairing", "Polezeropairing1");
  pairingAutomatic_ = AddItem(pairingMenu_, "&Automatic", "Automatic1");
  pairingInteractive_ = AddItem(pairingMenu_, "&User-interactive", "Userinteractive1");
  MakeRadioGroup(this, {pairingAutomatic_, pairingInteractive_});

  cascadingMenu_ = AddSubmenu(menu, "&Stage cascading", "Stagecascading1");
  cascadingAutomatic_ = AddItem(cascadingMenu_, "&Automatic", "Automatic2");
  cascadingInteractive_ = AddItem(cascadingMenu_, "&User-interactive", "Userinteractive2");
  MakeRadioGroup(this, {cascadingAutomatic_, cascadingInteractive_});

  connect(AddItem(menu, "Stage &cascading criteria", "Stagecascadingcriteria1"), &QAction::triggered, this,
          &TfmMain::ShowCriteria);
  menu->addSeparator();

  QMenu* units = AddSubmenu(menu, "&Frequency units", "Frequencyunits1");
  Hz1_ = AddItem(units, "Hz", "Hz1");
  rads1_ = AddItem(units, "rad/s", "rads1");
  MakeRadioGroup(this, {Hz1_, rads1_});
  menu->addSeparator();

  // The characteristics window comes with the tolerance analysis.
  AddItem(menu, "C&omponent characteristics", "Componentcharacteristics1")->setEnabled(false);
  Allcapacitorsstandardvalues1_ =
      AddItem(menu, "&All capacitors standard values", "Allcapacitorsstandardvalues1");
  Allcapacitorsstandardvalues1_->setCheckable(true);
  menu->addSeparator();
  Showtransferfunction1_ = AddItem(menu, "Show &transfer function", "Showtransferfunction1");
  Showtransferfunction1_->setIcon(MakeIcon(IconId::TransferFunction));

  auto setPairing = [this](bool automatic) {
    state_->pairingAutomatic = automatic;
    emit pairingModeChanged(automatic);
  };
  auto setCascading = [this](bool automatic) {
    state_->cascadingAutomatic = automatic;
    emit cascadingModeChanged(automatic);
  };
  connect(pairingAutomatic_, &QAction::triggered, this, [setPairing] { setPairing(true); });
  connect(pairingInteractive_, &QAction::triggered, this, [setPairing] { setPairing(false); });
  connect(cascadingAutomatic_, &QAction::triggered, this, [setCascading] { setCascading(true); });
  connect(cascadingInteractive_, &QAction::triggered, this, [setCascading] { setCascading(false); });
  connect(Hz1_, &QAction::triggered, this, &TfmMain::Hz1Click);
  connect(rads1_, &QAction::triggered, this, &TfmMain::rads1Click);
  connect(Allcapacitorsstandardvalues1_, &QAction::triggered, this,
          &TfmMain::Allcapacitorsstandardvalues1Click);
  connect(Showtransferfunction1_, &QAction::triggered, this, &TfmMain::Showtransferfunction1Click);
}

void TfmMain::BuildInventoryMenu() {
  QMenu* menu = AddMenu(menuBar(), "&Inventory", "Inventory1");

  QMenu* capacitor = AddSubmenu(menu, "&Capacitor", "Capacitor1");
  capacitorEnable_ = AddItem(capacitor, "&Enable", "Enable1");
  capacitorEnable_->setCheckable(true);
  // The inventory editor is not part of this window yet.
  AddItem(capacitor, "E&dit", "Edit1")->setEnabled(false);

  QMenu* resistor = AddSubmenu(menu, "&Resistor", "Resistor1");
  resistorEnable_ = AddItem(resistor, "&Enable", "Enable2");
  resistorEnable_->setCheckable(true);
  QMenu* edit = AddSubmenu(resistor, "E&dit", "Edit2");
  AddItem(edit, "&1 percent", "N1percent1");
  AddItem(edit, "&5 percent", "N5percent1");
  AddItem(edit, "1&0 percent", "N10percent1");
  for (QAction* action : edit->actions()) action->setEnabled(false);
  edit->menuAction()->setEnabled(false);

  connect(capacitorEnable_, &QAction::toggled, this, [this](bool on) { state_->useCapInventory = on; });
  connect(resistorEnable_, &QAction::toggled, this, [this](bool on) { state_->useResInventory = on; });
}

void TfmMain::BuildToolsMenu() {
  QMenu* menu = AddMenu(menuBar(), "&Tools", "Tools1");
  connect(AddItem(menu, "&dB<-->V/V", "dBVV1"), &QAction::triggered, this, &TfmMain::ShowDbConverter);
  // The standard resistor tool comes with the component values.
  AddItem(menu, "&Resistor values ", "Resistorvalues1")->setEnabled(false);
}

void TfmMain::BuildHelpMenu() {
  QMenu* menu = AddMenu(menuBar(), "&Help", "Help1");
  QAction* contents = AddItem(menu, "&Contents", "Contents1");
  contents->setShortcut(QKeySequence::HelpContents);
  connect(contents, &QAction::triggered, this, &TfmMain::ShowHelpContents);
  connect(AddItem(menu, "&Topic Search", "TopicSearch1"), &QAction::triggered, this,
          &TfmMain::ShowHelpSearch);
  connect(AddItem(menu, "&How to Use Help", "HowtoUseHelp1"), &QAction::triggered, this,
          &TfmMain::ShowHelpOnHelp);
  menu->addSeparator();
  QAction* about = AddItem(menu, "&About Tavrin", "AboutTavrin1");
  about->setIcon(MakeIcon(IconId::About));
  connect(about, &QAction::triggered, this, &TfmMain::ShowAboutBox);
}

void TfmMain::BuildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Commands"));
  toolbar_->setObjectName(QStringLiteral("ToolBar1"));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->toggleViewAction()->setEnabled(false);

  auto addTool = [this](IconId icon, const char* hint, const char* name) {
    auto* action = new QAction(MakeIcon(icon), Text(hint), this);
    action->setToolTip(Text(hint));
    action->setStatusTip(Text(hint));
    toolbar_->addAction(action);
    toolbar_->widgetForAction(action)->setObjectName(Text(name));
    return action;
  };

  copyAct_ = addTool(IconId::CopyToClipboard, "Copy to Clipboard", "CopyBtn");
  saveAsAct_ = addTool(IconId::SaveDesignAs, "Save Design as..", "SaveAsBtn");
  printAct_ = addTool(IconId::Print, "Print", "PrintBtn");
  openAct_ = addTool(IconId::OpenDesign, "Open Design", "OpenBtn");
  spiceAct_ = addTool(IconId::SpiceNetlist, "Save SPICE Netlist", "SpiceBtn");
  toolbar_->addSeparator();
  for (std::size_t i = 0; i < kKindCommands.size(); ++i) {
    const KindCommand& command = kKindCommands[i];
    QAction* action = addTool(command.icon, command.hint, command.buttonName);
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, kind = command.kind] {
      // The button's own toggle is undone here: it is pressed only once the design starts.
      SetPressedKind(pressedKind_);
      StartDesign(kind);
    });
    kindAct_[i] = action;
  }
  toolbar_->addSeparator();
  unitAct_ = addTool(IconId::UnitHz, "Toggle Hz..Rad/s", "UnitBtn");
  toolbar_->addSeparator();
  asciiAct_ = addTool(IconId::AsciiFile, "Filter Data to ASCII File", "AsciiBtn");
  transferAct_ = addTool(IconId::TransferFunction, "Show Transfer Function", "TransferBtn");

  connect(copyAct_, &QAction::triggered, this, &TfmMain::Copytoclipboard1Click);
  connect(saveAsAct_, &QAction::triggered, this, &TfmMain::Savedesignas1Click);
  connect(printAct_, &QAction::triggered, this, &TfmMain::Print1Click);
  connect(openAct_, &QAction::triggered, this, &TfmMain::open1Click);
  connect(spiceAct_, &QAction::triggered, this, &TfmMain::CreateSPICEnetlist1Click);
  connect(unitAct_, &QAction::triggered, this, &TfmMain::UnitBtnClick);
  connect(asciiAct_, &QAction::triggered, this, &TfmMain::SavetoAsciiFile1Click);
  connect(transferAct_, &QAction::triggered, this, &TfmMain::Showtransferfunction1Click);
}

void TfmMain::BuildStatusStrip() {
  statusTitle_ = new QLabel(Text(kApplicationTitle));
  statusTitle_->setObjectName(QStringLiteral("StatusTitle"));
  statusTitle_->setContentsMargins(6, 0, 6, 0);
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(statusTitle_, 1);
}

void TfmMain::BuildPages() {
  pages_ = new QStackedWidget;
  pages_->setObjectName(QStringLiteral("Pages"));
  startPage_ = BuildStartPage();
  pages_->addWidget(startPage_);
  parEnt_ = new TfmParEnt(*this);
  pages_->addWidget(parEnt_);
  graphs_ = new TfmGraph(*this);
  pages_->addWidget(graphs_);
  user_ = new TfmUser(*this);
  pages_->addWidget(user_);
  transfer_ = new TfmTransfer(*state_, this);
  connect(this, &TfmMain::transferFunctionRequested, this, &TfmMain::ShowTransferFunction);
  pairs_ = new TfmPairs(*this);
  pages_->addWidget(pairs_);
  cascade_ = new TfmCascade(*this);
  pages_->addWidget(cascade_);
  cirSel_ = new TfmCirSel(*this);
  pages_->addWidget(cirSel_);
  connect(this, &TfmMain::pairingModeChanged, this, &TfmMain::PairingModeSwitched);
  connect(this, &TfmMain::cascadingModeChanged, this, &TfmMain::CascadingModeSwitched);
  setCentralWidget(pages_);
}

QWidget* TfmMain::BuildStartPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("StartPage"));
  page->setAutoFillBackground(true);
  page->setBackgroundRole(QPalette::Base);

  auto* layout = new QVBoxLayout(page);
  layout->setSpacing(4);
  layout->addStretch(3);

  auto* logo = new QLabel;
  logo->setAlignment(Qt::AlignCenter);
  logo->setPixmap(MakeIcon(IconId::About).pixmap(QSize(64, 64), devicePixelRatioF()));
  layout->addWidget(logo);
  layout->addSpacing(8);

  auto* name = new QLabel(QStringLiteral("Tavrin"));
  name->setObjectName(QStringLiteral("StartTitle"));
  name->setAlignment(Qt::AlignCenter);
  QFont nameFont = name->font();
  nameFont.setPointSizeF(nameFont.pointSizeF() * 2.4);
  nameFont.setBold(true);
  name->setFont(nameFont);
  layout->addWidget(name);

  auto* purpose = new QLabel(QStringLiteral("Active analog filter design"));
  purpose->setAlignment(Qt::AlignCenter);
  QFont purposeFont = purpose->font();
  purposeFont.setPointSizeF(purposeFont.pointSizeF() * 1.2);
  purpose->setFont(purposeFont);
  purpose->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(purpose);
  layout->addSpacing(28);

  // The five ways to start, one click away; they are the Start Design commands themselves.
  auto* tiles = new QHBoxLayout;
  tiles->setSpacing(10);
  tiles->addStretch(1);
  for (std::size_t i = 0; i < kKindCommands.size(); ++i) {
    auto* tile = new QToolButton;
    tile->setObjectName(
        Text(kKindCommands[i].buttonName).replace(QStringLiteral("Btn"), QStringLiteral("Tile")));
    tile->setDefaultAction(kindMenu_[i]);
    tile->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tile->setIconSize(QSize(44, 44));
    tile->setMinimumSize(100, 88);
    tile->setCursor(Qt::PointingHandCursor);
    tiles->addWidget(tile);
  }
  tiles->addStretch(1);
  page->setStyleSheet(
      QStringLiteral("QToolButton { border: 1px solid #d8dee6; border-radius: 8px; background: #f7f9fb;"
                     " padding: 8px 6px 6px 6px; color: #2c3e50; }"
                     "QToolButton:hover { border-color: #1d6fd8; background: #eaf2fd; }"
                     "QToolButton:pressed { background: #d6e6fb; }"));
  layout->addLayout(tiles);
  layout->addSpacing(16);

  auto* hint = new QLabel(QStringLiteral("Start a design from the Start Design menu"));
  hint->setObjectName(QStringLiteral("StartHint"));
  hint->setAlignment(Qt::AlignCenter);
  hint->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(hint);
  layout->addStretch(4);
  return page;
}

// ---------------------------------------------------------------------------------------
// Settings

void TfmMain::LoadPreferences() {
  settings_ = core::LoadSettings(*paths_);
  core::ApplySettings(settings_, *state_);
}

void TfmMain::ShowPreferences() {
  (state_->pairingAutomatic ? pairingAutomatic_ : pairingInteractive_)->setChecked(true);
  (state_->cascadingAutomatic ? cascadingAutomatic_ : cascadingInteractive_)->setChecked(true);
  capacitorEnable_->setChecked(state_->useCapInventory);
  resistorEnable_->setChecked(state_->useResInventory);
  Allcapacitorsstandardvalues1_->setChecked(state_->allCapsStandard);
  SetFrequencyUnit(state_->frequencyUnit);
}

bool TfmMain::StoreSettings() {
  if (!paths_) return false;
  core::CaptureSettings(*state_, settings_);
  settings_.mainPosition = QStringLiteral("%1,%2").arg(pos().x()).arg(pos().y()).toStdString();
  return core::SaveSettings(settings_, *paths_);
}

void TfmMain::RebuildRecentFileMenu() {
  for (QAction* action : recentActions_) {
    fileMenu_->removeAction(action);
    delete action;
  }
  recentActions_.clear();
  if (recentSeparator_) {
    fileMenu_->removeAction(recentSeparator_);
    delete recentSeparator_;
    recentSeparator_ = nullptr;
  }

  for (const std::string& path : settings_.recentFiles) {
    if (path.empty()) continue;
    if (static_cast<int>(recentActions_.size()) == core::kRecentFileCount) break;
    const int number = static_cast<int>(recentActions_.size()) + 1;
    auto* action = new QAction(RecentCaption(number, path), fileMenu_);
    action->setObjectName(QStringLiteral("RecentFile%1").arg(number));
    const QString fileName = QString::fromStdString(path);
    // Queued: reading the file rebuilds this very menu, action included.
    connect(action, &QAction::triggered, this, [this, fileName] { OpenRecentFile(fileName); },
            Qt::QueuedConnection);
    fileMenu_->insertAction(Exit1_, action);
    recentActions_.push_back(action);
  }
  if (!recentActions_.empty()) recentSeparator_ = fileMenu_->insertSeparator(Exit1_);
}

// ---------------------------------------------------------------------------------------
// State of the commands

void TfmMain::UpdateCommandStates() {
  const core::DesignState& s = *state_;
  const bool haveDesign = designAvailable_ || s.designStep >= 2;
  SetEnabled({Savedesign1_, Savedesignas1_, CloseDesign1_, Copytoclipboard1_, saveAsAct_}, haveDesign);
  copyAct_->setEnabled(haveDesign && !copyTargetHidden_);
  SetEnabled({Print1_, printAct_, SavetoAsciiFile1_, asciiAct_}, s.designStep >= 3);
  // A user-defined filter has its stages from the start: its coefficients are there as
  // soon as its graphs have been passed.
  const bool stagesExist = s.designStep >= 5 || (s.spec.kind == FilterKind::UserDefined && s.designStep >= 3);
  SetEnabled({Showtransferfunction1_, transferAct_}, stagesExist);
  SetEnabled({CreateSPICEnetlist1_, spiceAct_}, circuitCalculationShown_);
  SetEnabled({open1_, openAct_}, !designOpen_);
  // A user-defined design has no approximation to pair or cascade.
  const bool userDesign = designOpen_ && pressedKind_ == FilterKind::UserDefined;
  pairingMenu_->menuAction()->setEnabled(!userDesign);
  cascadingMenu_->menuAction()->setEnabled(!userDesign);
}

void TfmMain::SetDesignAvailable(bool available) {
  designAvailable_ = available;
  UpdateCommandStates();
}

void TfmMain::SetDesignOpen(bool open) {
  designOpen_ = open;
  UpdateCommandStates();
}

void TfmMain::SetCircuitCalculationShown(bool shown) {
  circuitCalculationShown_ = shown;
  UpdateCommandStates();
}

void TfmMain::SetCopyTargetHidden(bool hidden) {
  copyTargetHidden_ = hidden;
  UpdateCommandStates();
}

void TfmMain::SetMessagePresenter(std::unique_ptr<MessagePresenter> presenter) {
  presenter_ = std::move(presenter);
}

void TfmMain::SetFileDialogs(std::unique_ptr<FileDialogs> dialogs) {
  fileDialogs_ = std::move(dialogs);
}

void TfmMain::UpdateWindowTitle() {
  setWindowTitle(state_->fileName.empty() ? Text(kUntitled)
                                          : QStringLiteral(": ") + QString::fromStdString(state_->fileName));
}

void TfmMain::SetFrequencyUnit(FrequencyUnit unit) {
  state_->frequencyUnit = unit;
  Hz1_->setChecked(unit == FrequencyUnit::Hz);
  rads1_->setChecked(unit == FrequencyUnit::RadPerSec);
  unitAct_->setIcon(MakeIcon(unit == FrequencyUnit::Hz ? IconId::UnitHz : IconId::UnitRadPerSec));
}

void TfmMain::SetPressedKind(std::optional<FilterKind> kind) {
  pressedKind_ = kind;
  for (std::size_t i = 0; i < kKindCommands.size(); ++i) {
    kindAct_[i]->setChecked(kind == kKindCommands[i].kind);
  }
}

// ---------------------------------------------------------------------------------------
// The design workflow

bool TfmMain::SavePrompt() {
  // A design that has results is worth asking about even before Next was pressed: it
  // can be saved from then on, so it can be lost from then on.
  if (!state_->modified || (state_->designStep <= 0 && !designAvailable_)) return true;
  const char* question =
      state_->fileName.empty() ? "Do you wish to save this design?" : "Do you wish to save the changes?";
  switch (AskSaveQuestion(Text(question))) {
    case QMessageBox::Yes:
      return SaveDesign(state_->fileName.empty());
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

QMessageBox::StandardButton TfmMain::AskSaveQuestion(const QString& text) {
  return ShowMessage(*presenter_, this,
                     MakeMessage(text.toStdString(), approx::MessageKind::Confirmation,
                                 approx::MessageButtons::YesNoCancel));
}

bool TfmMain::SaveDesign(bool askName) {
  if (askName || state_->fileName.empty()) return SaveDesignAs();
  return WriteDesign(QString::fromStdString(state_->fileName));
}

void TfmMain::ResetDesign() {
  core::ResetDesign(*state_);
  designAvailable_ = false;
  designOpen_ = false;
  circuitCalculationShown_ = false;
  SetPressedKind(std::nullopt);
  pages_->setCurrentWidget(startPage_);
  parEnt_->ResetResults();
  transfer_->hide();
  copyTargetHidden_ = false;
  UpdateWindowTitle();
  UpdateCommandStates();
}

void TfmMain::StartDesign(FilterKind kind) {
  if (!SavePrompt()) return;
  ResetDesign();
  SetPressedKind(kind);
  state_->spec.kind = kind;
  state_->lastSlot = kind == FilterKind::UserDefined ? 0 : 4;
  designOpen_ = true;
  UpdateCommandStates();
  if (kind != FilterKind::UserDefined) {
    parEnt_->OpenForKind(kind);
    ShowRequirements();
  } else {
    user_->OpenNew();
    ShowUserDefined();
  }
  emit designStarted(kind);
}

void TfmMain::closeEvent(QCloseEvent* event) {
  if (paths_) {
    if (!SavePrompt()) {
      event->ignore();
      return;
    }
    StoreSettings();
  }
  if (help_) help_->close();
  event->accept();
}

// ---------------------------------------------------------------------------------------
// Handlers

void TfmMain::open1Click() {
  OpenDesign();
}

void TfmMain::Savedesign1Click() {
  SaveDesign(state_->fileName.empty());
}

void TfmMain::Savedesignas1Click() {
  SaveDesign(true);
}

void TfmMain::CloseDesign1Click() {
  if (SavePrompt()) ResetDesign();
}

void TfmMain::Copytoclipboard1Click() {
  QWidget* page = pages_->currentWidget();
  if (!page || page == startPage_) return;
  if (page == parEnt_) {
    // The entry window's picture is its results table, and only while it shows.
    if (parEnt_->ResultsShown()) QGuiApplication::clipboard()->setPixmap(parEnt_->ResultsPicture());
    return;
  }
  QGuiApplication::clipboard()->setPixmap(page->grab());
}

void TfmMain::SavetoAsciiFile1Click() {
  emit asciiFileRequested();
}

void TfmMain::CreateSPICEnetlist1Click() {
  emit spiceNetlistRequested();
}

void TfmMain::Print1Click() {
  emit printRequested();
}

void TfmMain::Exit1Click() {
  close();
}

// The menu and the button refresh alike while a design is being entered: a set of requirements
// window left with kHz boxes under a rad/s display would mix the two units.
void TfmMain::Hz1Click() {
  SetFrequencyUnit(FrequencyUnit::Hz);
  const bool refresh = state_->designStep > 0 || designOpen_;
  if (refresh) RefreshDesignWindows();
  emit frequencyUnitChanged(refresh);
}

void TfmMain::rads1Click() {
  SetFrequencyUnit(FrequencyUnit::RadPerSec);
  const bool refresh = state_->designStep > 0 || designOpen_;
  if (refresh) RefreshDesignWindows();
  emit frequencyUnitChanged(refresh);
}

void TfmMain::UnitBtnClick() {
  SetFrequencyUnit(state_->frequencyUnit == FrequencyUnit::Hz ? FrequencyUnit::RadPerSec : FrequencyUnit::Hz);
  RefreshDesignWindows();
  emit frequencyUnitChanged(true);
}

void TfmMain::Showtransferfunction1Click() {
  emit transferFunctionRequested();
}

void TfmMain::Allcapacitorsstandardvalues1Click() {
  // A capacitor the user took at its exact value becomes standard again.
  for (int s = 1; s <= core::kMaxStages; ++s) state_->circuits[s].ExactTaken = false;
  state_->allCapsStandard = Allcapacitorsstandardvalues1_->isChecked();
}

// ---------------------------------------------------------------------------------------
// Screen, about box, picture

void TfmMain::PlaceOnScreen() {
  QScreen* screen = this->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QSize full = screen->size();
  const QRect available = screen->availableGeometry();
  const bool largeFonts = screen->logicalDotsPerInch() > 96.0;
  const int scale = ScreenScale(full.width(), largeFonts);

  // Wider screens get the larger button pictures.
  toolbar_->setIconSize(full.width() >= 1000 ? QSize(28, 28) : QSize(22, 22));

  QSize size = MainWindowSize(MainWindowPercent(full.width(), full.height(), largeFonts), available.size());
  size.setWidth(std::max(size.width(), toolbar_->sizeHint().width() + ToolbarMargin(scale)));
  resize(size);
  move(available.left() + (available.width() - size.width()) / 2, available.top() + MainWindowTop(scale));
}

void TfmMain::ShowAboutBox() {
  auto* box = new AboutBox(AboutBox::Mode::About, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

AboutBox* TfmMain::ShowSplash() {
  auto* splash = new AboutBox(AboutBox::Mode::Splash, this);
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->setWindowModality(Qt::ApplicationModal);
  splash->adjustSize();
  splash->move(frameGeometry().center() - splash->rect().center());
  splash->show();
  return splash;
}

bool TfmMain::SaveScreenshot(const QString& fileName) {
  if (!isVisible()) show();
  QApplication::processEvents();
  return grab().save(fileName, "PNG");
}

}  // namespace tavrin::ui
