#include "FileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <algorithm>

const char* const kOpenDialogObjectName = "OpenDialog";
const char* const kSaveDialogObjectName = "SaveDialog";

namespace {

QString FromUtf8(const std::string& s) { return QString::fromStdString(s); }

// The toolkit's file dialog with the checks that the options ask for before
// it may close with a choice.
class TFileDialogWindow : public QFileDialog {
 public:
  TFileDialogWindow(TOpenDialog& component, QWidget* parent) : QFileDialog(parent), component_(component) {}

  void accept() override {
    const QStringList chosen = selectedFiles();
    // A folder typed into the name box only opens that folder.
    const bool choosesFiles = !chosen.isEmpty() && std::none_of(chosen.begin(), chosen.end(),
                                                                [](const QString& f) { return QFileInfo(f).isDir(); });
    if (choosesFiles) {
      if (component_.Options().Contains(TOpenOption::ofPathMustExist)) {
        for (const QString& f : chosen) {
          const QString folder = QFileInfo(f).absolutePath();
          if (!QFileInfo(folder).isDir()) {
            QMessageBox::warning(this, windowTitle(), QStringLiteral("%1\nThe folder does not exist.").arg(folder));
            // Back to the name for the user to correct it.
            activateWindow();
            if (auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
              nameBox->setFocus(Qt::OtherFocusReason);
              nameBox->selectAll();
            }
            return;
          }
        }
      }
      bool canClose = true;
      if (component_.OnCanClose) component_.OnCanClose(component_, canClose);
      if (!canClose) return;
    }
    QFileDialog::accept();
  }

 protected:
  void showEvent(QShowEvent* e) override {
    QFileDialog::showEvent(e);
    if (component_.OnShow) component_.OnShow(component_);
  }

 private:
  TOpenDialog& component_;
};

QScreen* MainWindowScreen(QWidget* owner) {
  if (owner) {
    if (QScreen* s = owner->window()->screen()) return s;
  }
  const QList<QScreen*> screens = QGuiApplication::screens();
  return screens.isEmpty() ? nullptr : screens.first();
}

}  // namespace

void TOpenDialog::SetInitialDir(const std::string& dir) { initialDir_ = StoredInitialDir(dir); }

bool TOpenDialog::Execute() {
  files_.clear();
  QWidget* ownerWindow = Owner() ? Owner()->window() : nullptr;
  TFileDialogWindow dialog(*this, ownerWindow);
  // The toolkit's own dialog, not the desktop's: it behaves the same on every
  // desktop and can be driven by scripts.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setObjectName(IsSaveDialog() ? kSaveDialogObjectName : kOpenDialogObjectName);
  dialog.setAcceptMode(IsSaveDialog() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  const TOpenOptions options = options_;
  // A name typed for a file that does not exist is a valid choice unless the
  // options demand an existing one.
  if (options.Contains(TOpenOption::ofAllowMultiSelect))
    dialog.setFileMode(QFileDialog::ExistingFiles);
  else if (options.Contains(TOpenOption::ofFileMustExist))
    dialog.setFileMode(QFileDialog::ExistingFile);
  else
    dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.Contains(TOpenOption::ofOverwritePrompt));
  dialog.setOption(QFileDialog::DontResolveSymlinks, options.Contains(TOpenOption::ofNoDereferenceLinks));
  if (!title_.empty()) dialog.setWindowTitle(FromUtf8(title_));

  QStringList nameFilters;
  for (const std::string& f : QtNameFilters(filter_)) nameFilters << FromUtf8(f);
  if (!nameFilters.isEmpty()) {
    dialog.setNameFilters(nameFilters);
    const int shown = ShownFilterEntry(filterIndex_, static_cast<int>(nameFilters.size()));
    if (shown >= 0) dialog.selectNameFilter(nameFilters[shown]);
  }
  dialog.setDirectory(initialDir_.empty() ? QDir::currentPath() : FromUtf8(initialDir_));

  std::string defaultExt = defaultExt_;
  if (defaultExt.empty() && options.Contains(TOpenOption::ofOldStyleDialog)) defaultExt = FileNameExtension(fileName_);
  dialog.setDefaultSuffix(FromUtf8(defaultExt));

  // The name box shows FileName as it is, a full path included; set last so
  // that choosing the filter above cannot rewrite it.
  if (auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
    nameBox->setText(FromUtf8(fileName_));

  QObject::connect(&dialog, &QFileDialog::directoryEntered, [this](const QString&) {
    if (OnFolderChange) OnFolderChange(*this);
  });
  QObject::connect(&dialog, &QFileDialog::currentChanged, [this](const QString&) {
    if (OnSelectionChange) OnSelectionChange(*this);
  });
  QObject::connect(&dialog, &QFileDialog::filterSelected, [this](const QString&) {
    if (OnTypeChange) OnTypeChange(*this);
  });

  // Centred across the main window's monitor, one third of the free height down.
  dialog.ensurePolished();
  dialog.adjustSize();
  if (!options.Contains(TOpenOption::ofEnableSizing)) {
    dialog.setSizeGripEnabled(false);
    dialog.setFixedSize(dialog.size());
  }
  if (QScreen* screen = MainWindowScreen(Owner())) {
    dialog.winId();  // the frame is known once the window exists
    const QRect monitor = screen->geometry();
    const QSize size = dialog.frameGeometry().size();
    dialog.move(monitor.x() + (monitor.width() - size.width()) / 2,
                monitor.y() + (monitor.height() - size.height()) / 3);
  }

  QPointer<QWidget> previous = QApplication::activeWindow();
  dialog.setWindowModality(Qt::ApplicationModal);
  active_ = &dialog;
  const int accepted = dialog.exec();
  active_ = nullptr;
  if (OnClose) OnClose(*this);
  if (previous) previous->activateWindow();

  const QStringList chosen = dialog.selectedFiles();
  if (accepted != QDialog::Accepted || chosen.isEmpty()) return false;

  for (const QString& f : chosen) files_.push_back(QDir::cleanPath(f).toStdString());
  fileName_ = files_.front();
  const qsizetype selected = nameFilters.indexOf(dialog.selectedNameFilter());
  if (selected >= 0) filterIndex_ = static_cast<int>(selected) + 1;
  if (!defaultExt.empty() &&
      QString::compare(FromUtf8(FileNameExtension(fileName_)), FromUtf8(defaultExt), Qt::CaseInsensitive) != 0)
    options_.Include(TOpenOption::ofExtensionDifferent);
  else
    options_.Exclude(TOpenOption::ofExtensionDifferent);
  return true;
}
