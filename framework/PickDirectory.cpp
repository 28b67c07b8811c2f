#include "PickDirectory.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>

const char* const kPickDirectoryObjectName = "PickDirectory";

namespace {

// The tree's top: the given folder when it exists, else the whole file system.
QString TreeRoot(const std::string& root) {
  const QString r = QString::fromStdString(root);
  if (r.isEmpty() || !QFileInfo(r).isDir()) return QStringLiteral("/");
  return QDir::cleanPath(QFileInfo(r).absoluteFilePath());
}

bool Within(const QString& path, const QString& top) {
  if (top == QLatin1String("/")) return true;
  const QString p = QDir::cleanPath(path);
  return p == top || p.startsWith(top + QLatin1Char('/'));
}

}  // namespace

bool PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) {
  directory.clear();
  const QString top = TreeRoot(root);

  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setObjectName(kPickDirectoryObjectName);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  // The prompt takes the place of the label above the folder view.
  dialog.setLabelText(QFileDialog::LookIn, QString::fromStdString(prompt));
  dialog.setDirectory(top);
  // A tree with a top folder cannot be left upwards.
  QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog, top](const QString& dir) {
    if (!Within(dir, top)) dialog.setDirectory(top);
  });

  // Not modal: the program's other windows keep taking input.
  dialog.setWindowModality(Qt::NonModal);
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  dialog.show();
  loop.exec();

  if (dialog.result() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  const QString path = QDir::cleanPath(chosen.first());
  if (!Within(path, top)) return false;
  directory = path.toStdString();
  return true;
}
