#pragma once
// The open and save dialogs as components of a window: properties that keep
// their values between runs, and Execute, which shows the toolkit's own file
// dialog application-modal and, on success, stores the chosen full path.

#include <functional>
#include <string>
#include <vector>

#include "CommandPorts.h"
#include "FileDialogRules.h"

class QFileDialog;
class QString;
class QWidget;

enum class TOpenOption {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
};
using TOpenOptions = TSet<TOpenOption>;

class TCommonDialog;
using TDialogEvent = std::function<void(TCommonDialog& sender)>;
using TCloseQueryEvent = std::function<void(TCommonDialog& sender, bool& canClose)>;

class TCommonDialog {
 public:
  // owner: the window holding the component; the dialog is placed on its
  // monitor (the first monitor when null). Not owned.
  explicit TCommonDialog(QWidget* owner = nullptr) : owner_(owner) {}
  virtual ~TCommonDialog() = default;

  QWidget* Owner() const { return owner_; }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value) { ctl3D_ = value; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }

  TDialogEvent OnShow;
  TDialogEvent OnClose;

  virtual bool Execute() = 0;

 private:
  QWidget* owner_;
  bool ctl3D_ = true;
  int helpContext_ = 0;
};

class TOpenDialog : public TCommonDialog, public IFileDialog {
 public:
  explicit TOpenDialog(QWidget* owner = nullptr) : TCommonDialog(owner) {}

  std::string Title() const override { return title_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  // "Description|mask;mask|Description|mask..."
  std::string Filter() const override { return filter_; }
  void SetFilter(const std::string& filter) override { filter_ = filter; }
  // Counting from 1.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index) { filterIndex_ = index; }
  std::string InitialDir() const override { return initialDir_; }
  // One trailing "/" is dropped unless the value is the root "/".
  void SetInitialDir(const std::string& dir) override;
  // Before Execute: the text put in the name box. After a successful one:
  // the full path chosen (the first one of a multiple selection).
  std::string FileName() const override { return fileName_; }
  void SetFileName(const std::string& name) override { fileName_ = name; }
  // Full paths of the last selection.
  const std::vector<std::string>& Files() const { return files_; }
  // Without the dot; empty adds none to a name typed without extension.
  std::string DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& ext) { defaultExt_ = ext; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions options) { options_ = options; }

  TCloseQueryEvent OnCanClose;
  TDialogEvent OnFolderChange;
  TDialogEvent OnSelectionChange;
  TDialogEvent OnTypeChange;

  // True when the user chose a file: FileName and FilterIndex then hold the
  // choice. False on cancel, with the properties unchanged.
  bool Execute() override;

  // The dialog being shown, for tests and for the window's own use; null
  // outside Execute.
  QFileDialog* ActiveDialog() const { return active_; }

 protected:
  virtual bool IsSaveDialog() const { return false; }

 private:
  std::string title_;
  std::string filter_;
  int filterIndex_ = 1;
  std::string initialDir_;
  std::string fileName_;
  std::vector<std::string> files_;
  std::string defaultExt_;
  TOpenOptions options_{TOpenOption::ofHideReadOnly, TOpenOption::ofEnableSizing};
  QFileDialog* active_ = nullptr;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;

 protected:
  bool IsSaveDialog() const override { return true; }
};

// objectName of the toolkit dialog that Execute shows, so that scripted runs
// can find it; its name box is the QLineEdit "fileNameEdit".
extern const char* const kOpenDialogObjectName;  // "OpenDialog"
extern const char* const kSaveDialogObjectName;  // "SaveDialog"
