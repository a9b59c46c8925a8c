// The main window: menu bar, toolbar and status strip around the pages of the design
// windows.  It owns the one DesignState of the program, reads the settings when it is
// created and writes them when it closes, and enables the commands the design step allows.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/DesignFile.h"
#include "core/DesignState.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;
class QWidget;

namespace tavrin::ui {

class AboutBox;
class TfmGraph;
class TfmCirSel;
class HelpWindow;
class TfmACrit;
class TfmCascade;
class TfmPairs;
class TfmParEnt;
class TfmTransfer;
class TfmUser;

class TfmMain : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr const char* kNoSettingsFolderMessage = "Could Not Find Windows Directory";
  static constexpr const char* kUntitled = "[Untitled]";

  explicit TfmMain(QWidget* parent = nullptr);
  ~TfmMain() override;

  // True when no folder for the settings could be found.  The window is then only a
  // shell: the caller shows ShowStartupError and ends the program.
  bool StartupFailed() const { return !paths_.has_value(); }
  static void ShowStartupError(QWidget* parent);

  core::DesignState& State() { return *state_; }
  const core::DesignState& State() const { return *state_; }
  core::Settings& CurrentSettings() { return settings_; }
  const std::optional<core::Paths>& AppPaths() const { return paths_; }
  QStackedWidget* Pages() const { return pages_; }

  // Enables every command from the design step and the three flags below.
  void UpdateCommandStates();
  // Set after a successful Calculate or a file load: the design can be saved, closed and copied.
  void SetDesignAvailable(bool available);
  // Set while a design is being worked on (requirements shown, file loaded): no Open meanwhile.
  void SetDesignOpen(bool open);
  // The SPICE command belongs to the circuit calculation window and lives while it shows.
  void SetCircuitCalculationShown(bool shown);
  // Set while the visible window shows nothing to copy (the entry window's
  // template): the toolbar's copy button waits for the results.
  void SetCopyTargetHidden(bool hidden);

  // Every message box of the windows goes through the presenter; tests put their own in.
  MessagePresenter& Presenter() { return *presenter_; }
  void SetMessagePresenter(std::unique_ptr<MessagePresenter> presenter);
  // The open and save dialogs go through one object too.
  void SetFileDialogs(std::unique_ptr<FileDialogs> dialogs);
  FileDialogs& Dialogs() { return *fileDialogs_; }

  // The design windows, pages of the central stack.
  TfmParEnt* RequirementsWindow() const { return parEnt_; }
  TfmGraph* GraphsWindow() const { return graphs_; }
  void ShowRequirements();
  void ShowGraphs();
  // The user-defined filter window, and the biquad coefficient window beside the design.
  TfmUser* UserWindow() const { return user_; }
  TfmTransfer* TransferWindow() const { return transfer_; }
  void ShowUserDefined();
  void ShowTransferFunction();
  // The moves between the design steps (TfmMainFlow.cpp).  The graphs window calls these
  // from its Next and Back buttons; the stage windows add their own beside them.
  void ContinueFromGraphs();
  void BackFromGraphs();
  // The stage windows and their moves (TfmMainFlow.cpp).  Showing a window rebuilds it
  // from the design.
  TfmPairs* PairingWindow() const { return pairs_; }
  TfmCascade* CascadingWindow() const { return cascade_; }
  TfmCirSel* CircuitSelectionWindow() const { return cirSel_; }
  void ShowPairing();
  void ShowCascading();
  void ShowCircuitSelection();
  void ContinueFromPairing();
  void BackFromPairing();
  void ContinueFromCascading();
  void BackFromCascading();
  void BackFromCircuitSelection();
  // The cascade criteria, modal over the main window (Options menu, cascading window).
  TfmACrit* ShowCriteria();
  // " Hide this window next time" of the pairing window: the pairing mode and its menu
  // check change, the window stays where it is.
  void SetPairingAutomatic(bool automatic);

  // Help, guidance and tools.  The help window stays open beside the design; the guidance
  // window and the converter are modal.
  void ShowHelp(const QString& page);
  void ShowHelpContents();
  void ShowHelpSearch();
  void ShowHelpOnHelp();
  HelpWindow* Help() const;
  void ShowStrategy(int page);
  void ShowDbConverter();

  // The recent-file entries of the File menu, from the settings' list.
  void RebuildRecentFileMenu();
  // Puts a file at the top of the recent list (an equal entry further down goes) and
  // rebuilds the menu.
  void AddRecentFile(const std::string& path);
  void UpdateWindowTitle();

  // The design file commands.  Open Design asks for a file; OpenRecentFile asks about the
  // design in hand first.  Both end in OpenDesignFile, which reads the file and restores
  // the windows of the design up to the step it was saved at; false when nothing was opened.
  void OpenDesign();
  void OpenRecentFile(const QString& path);
  bool OpenDesignFile(const QString& path);
  // Save Design As: asks for a name (and whether to overwrite), then writes.
  bool SaveDesignAs();
  // Writes the design to the path; on success it becomes the design's file.
  bool WriteDesign(const QString& path);
  // The folder the file dialogs start in, and what the two dialogs are asked to show.
  QString DesignsFolder() const;
  FileDialogRequest SaveDesignRequest() const;
  FileDialogRequest OpenDesignRequest() const;

  // Switches the display unit: the state, the menu checks and the unit button's picture.
  void SetFrequencyUnit(core::FrequencyUnit unit);

  // The kind button shown pressed; none while no design has been started.
  std::optional<core::FilterKind> PressedKind() const { return pressedKind_; }
  void SetPressedKind(std::optional<core::FilterKind> kind);

  // Asked before a design is dropped.  False when the user cancels the command.
  bool SavePrompt();
  // Starting afresh: the engine's reset and everything the windows show of it.
  void ResetDesign();
  // Start Design > kind, from the menu or the toolbar.
  void StartDesign(core::FilterKind kind);

  // Writes the preferences and the window position to the settings file.
  bool StoreSettings();

  void ShowAboutBox();
  AboutBox* ShowSplash();
  // Renders the window, menu and toolbar included, into a PNG file.
  bool SaveScreenshot(const QString& fileName);

 signals:
  void designStarted(tavrin::core::FilterKind kind);
  // refreshWindows is false when the menu changed the unit before any design step.
  void frequencyUnitChanged(bool refreshWindows);
  void pairingModeChanged(bool automatic);
  void cascadingModeChanged(bool automatic);
  // A design file was read and its windows restored.
  void designOpened(const QString& fileName);
  void printRequested();
  void asciiFileRequested();
  void spiceNetlistRequested();
  void transferFunctionRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

  // The save prompt's question, answered Yes, No or Cancel.
  virtual QMessageBox::StandardButton AskSaveQuestion(const QString& text);
  // Save Design (or Save Design As when askName); false when nothing was saved.
  virtual bool SaveDesign(bool askName);

 private:
  void BuildMenus();
  void BuildFileMenu();
  void BuildStartDesignMenu();
  void BuildOptionsMenu();
  void BuildInventoryMenu();
  void BuildToolsMenu();
  void BuildHelpMenu();
  void BuildToolbar();
  void BuildStatusStrip();
  void BuildPages();
  QWidget* BuildStartPage();
  // After a unit change: the visible design window shows its frequencies in the new unit.
  void RefreshDesignWindows();
  std::filesystem::path HelpFolder() const;
  void LoadPreferences();
  void ShowPreferences();
  void PlaceOnScreen();
  // After a file was read: the kind, the options and the design windows.
  void RestoreDesignWindows(const core::DesignReadResult& read);
  // Options menu: Automatic takes a visible interactive window away, User-interactive
  // brings it back when the design has been through its step (TfmMainFlow.cpp).
  void PairingModeSwitched(bool automatic);
  void CascadingModeSwitched(bool automatic);

  // Menu and toolbar handlers.
  void open1Click();
  void Savedesign1Click();
  void Savedesignas1Click();
  void CloseDesign1Click();
  void Copytoclipboard1Click();
  void SavetoAsciiFile1Click();
  void CreateSPICEnetlist1Click();
  void Print1Click();
  void Exit1Click();
  void Hz1Click();
  void rads1Click();
  void UnitBtnClick();
  void Showtransferfunction1Click();
  void Allcapacitorsstandardvalues1Click();

  std::unique_ptr<core::DesignState> state_;
  core::Settings settings_;
  std::optional<core::Paths> paths_;

  bool designAvailable_ = false;
  bool designOpen_ = false;
  bool circuitCalculationShown_ = false;
  bool copyTargetHidden_ = false;
  std::optional<core::FilterKind> pressedKind_;

  QMenu* fileMenu_ = nullptr;
  QMenu* pairingMenu_ = nullptr;
  QMenu* cascadingMenu_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QWidget* startPage_ = nullptr;
  TfmParEnt* parEnt_ = nullptr;
  TfmGraph* graphs_ = nullptr;
  TfmUser* user_ = nullptr;
  TfmTransfer* transfer_ = nullptr;
  TfmPairs* pairs_ = nullptr;
  TfmCascade* cascade_ = nullptr;
  TfmCirSel* cirSel_ = nullptr;
  HelpWindow* help_ = nullptr;
  std::unique_ptr<MessagePresenter> presenter_;
  std::unique_ptr<FileDialogs> fileDialogs_;
  QLabel* statusTitle_ = nullptr;

  // File menu
  QAction* open1_ = nullptr;
  QAction* Savedesign1_ = nullptr;
  QAction* Savedesignas1_ = nullptr;
  QAction* CloseDesign1_ = nullptr;
  QAction* Copytoclipboard1_ = nullptr;
  QAction* SavetoAsciiFile1_ = nullptr;
  QAction* CreateSPICEnetlist1_ = nullptr;
  QAction* Print1_ = nullptr;
  QAction* Exit1_ = nullptr;
  std::vector<QAction*> recentActions_;
  QAction* recentSeparator_ = nullptr;

  // Start Design menu, in FilterKind order
  std::array<QAction*, 5> kindMenu_{};

  // Options menu
  QAction* pairingAutomatic_ = nullptr;
  QAction* pairingInteractive_ = nullptr;
  QAction* cascadingAutomatic_ = nullptr;
  QAction* cascadingInteractive_ = nullptr;
  QAction* Hz1_ = nullptr;
  QAction* rads1_ = nullptr;
  QAction* Allcapacitorsstandardvalues1_ = nullptr;
  QAction* Showtransferfunction1_ = nullptr;

  // Inventory menu
  QAction* capacitorEnable_ = nullptr;
  QAction* resistorEnable_ = nullptr;

  // Toolbar
  QAction* copyAct_ = nullptr;
  QAction* saveAsAct_ = nullptr;
  QAction* printAct_ = nullptr;
  QAction* openAct_ = nullptr;
  QAction* spiceAct_ = nullptr;
  std::array<QAction*, 5> kindAct_{};
  QAction* unitAct_ = nullptr;
  QAction* asciiAct_ = nullptr;
  QAction* transferAct_ = nullptr;
};

}  // namespace tavrin::ui
