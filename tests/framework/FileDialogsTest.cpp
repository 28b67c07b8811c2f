// The open and save dialogs and the folder picker, shown for real and
// answered by typing into them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>

#include "DialogDriver.h"
#include "FileDialogs.h"
#include "Messages.h"
#include "PickDirectory.h"

namespace {

QLineEdit* NameBox(QWidget* dialog) { return dialog->findChild<QLineEdit*>("fileNameEdit"); }

// Replaces the name box's text as a user does, then presses Enter.
void TypeNameAndEnter(QWidget* dialog, const QString& name) {
  QLineEdit* box = NameBox(dialog);
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(QApplication::focusWidget(), box);
  Key(dialog, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box, name);
  Key(dialog, Qt::Key_Return);
}

bool MakeFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write("RIFF", 4) == 4;
}

}  // namespace

TEST(FileDialogProperties, StartWithTheComponentDefaults) {
  TOpenDialog open;
  TSaveDialog save;
  for (TOpenDialog* d : {static_cast<TOpenDialog*>(&open), static_cast<TOpenDialog*>(&save)}) {
    EXPECT_EQ(d->FilterIndex(), 1);
    EXPECT_EQ(d->Options(), (TOpenOptions{TOpenOption::ofHideReadOnly, TOpenOption::ofEnableSizing}));
    EXPECT_TRUE(d->Ctl3D());
    EXPECT_EQ(d->HelpContext(), 0);
    EXPECT_EQ(d->Title(), "");
    EXPECT_EQ(d->Filter(), "");
    EXPECT_EQ(d->InitialDir(), "");
    EXPECT_EQ(d->FileName(), "");
    EXPECT_EQ(d->DefaultExt(), "");
    EXPECT_FALSE(d->OnShow || d->OnClose || d->OnCanClose || d->OnFolderChange || d->OnSelectionChange ||
                 d->OnTypeChange);
  }
}

TEST(FileDialogProperties, InitialDirDropsOneTrailingSlashButKeepsTheRoot) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/x/", "/home/x"}, {"/", "/"}, {"/home/x", "/home/x"}, {"", ""}, {"/home/x//", "/home/x/"}, {"a/", "a"}};
  TOpenDialog d;
  for (const auto& [given, stored] : cases) {
    d.SetInitialDir(given);
    EXPECT_EQ(d.InitialDir(), stored) << given;
  }
}

TEST(FileDialogProperties, FiltersBecomeDescriptionsWithTheirMasks) {
  using V = std::vector<std::string>;
  const std::pair<const char*, V> cases[] = {
      {"Wav files|*.wav", V{"Wav files (*.wav)"}},
      {"GP3/GP4 Sounds|bsound*.16;tk*.st1", V{"GP3/GP4 Sounds (bsound*.16 tk*.st1)"}},
      {"Wav'z or Mp3'z|*.Wav;*.mp3;*.raw", V{"Wav'z or Mp3'z (*.Wav *.mp3 *.raw)"}},
      {"A|*.a|B|*.b;*.c", V{"A (*.a)", "B (*.b *.c)"}},
      {"A|*.a|B", V{"A (*.a)"}},
      {"", V{}},
  };
  for (const auto& [filter, expected] : cases) EXPECT_EQ(QtNameFilters(filter), expected) << filter;
}

class FileDialogRun : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::string PathStd(const QString& name) const { return Path(name).toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(FileDialogRun, OpenDialogShowsItsSettingsAndReturnsATypedNameThatDoesNotExist) {
  TOpenDialog open;
  open.SetTitle("Select a Wav");
  open.SetFilter("Wav files|*.wav|All|*");
  open.SetFilterIndex(2);
  open.SetInitialDir(dir_.path().toStdString() + "/");
  DialogDriver driver([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), "OpenDialog");
    EXPECT_EQ(dialog->windowTitle(), "Select a Wav");
    EXPECT_EQ(QDir(dialog->directory()), QDir(dir_.path()));
    EXPECT_EQ(dialog->selectedNameFilter(), "All (*)");
    EXPECT_EQ(QApplication::activeModalWidget(), dialog);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = dialog->frameGeometry();
    EXPECT_EQ(frame.topLeft(), QPoint((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 3));
    TypeNameAndEnter(w, "missing.wav");
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_TRUE(driver.Ran());
  EXPECT_EQ(open.FileName(), PathStd("missing.wav"));
  EXPECT_EQ(open.FilterIndex(), 2);
}

TEST_F(FileDialogRun, ASecondRunShowsThePreviousFullPathAndCancelChangesNothing) {
  TOpenDialog open;
  open.SetFilter("Wav files|*.wav");
  open.SetInitialDir(dir_.path().toStdString());
  DialogDriver first([&](QWidget* w) { TypeNameAndEnter(w, Path("first.wav")); });
  ASSERT_TRUE(open.Execute());
  ASSERT_EQ(open.FileName(), PathStd("first.wav"));

  const TOpenOptions options = open.Options();
  DialogDriver second([&](QWidget* w) {
    ASSERT_NE(NameBox(w), nullptr);
    EXPECT_EQ(NameBox(w)->text(), Path("first.wav"));
    Key(w, Qt::Key_Escape);
  });
  EXPECT_FALSE(open.Execute());
  EXPECT_TRUE(second.Ran());
  EXPECT_EQ(open.FileName(), PathStd("first.wav"));
  EXPECT_EQ(open.FilterIndex(), 1);
  EXPECT_EQ(open.Options(), options);
}

TEST_F(FileDialogRun, TheFilterLeftSelectedIsReturned) {
  TOpenDialog open;
  open.SetFilter("Wav files|*.wav|Mp3 files|*.mp3");
  open.SetInitialDir(dir_.path().toStdString());
  DialogDriver driver([&](QWidget* w) {
    auto* types = w->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    types->setFocus(Qt::MouseFocusReason);
    Key(w, Qt::Key_Down);
    NameBox(w)->setFocus(Qt::MouseFocusReason);
    TypeNameAndEnter(w, "song.mp3");
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FilterIndex(), 2);
  EXPECT_EQ(open.FileName(), PathStd("song.mp3"));
}

TEST_F(FileDialogRun, SaveDialogReturnsAnExistingFileWithoutAsking) {
  ASSERT_TRUE(MakeFile(Path("bsound01.16")));
  TSaveDialog save;
  save.SetTitle("Select your Grand Prix 3\\Sound  Directory");
  save.SetFilter("GP3/GP4 Sounds|bsound*.16;tk*.st1");
  save.SetInitialDir(dir_.path().toStdString());
  // An overwrite question would be a second modal window; the limit would
  // then fail the test.
  DialogDriver driver([&](QWidget* w) {
    EXPECT_EQ(w->objectName(), "SaveDialog");
    EXPECT_EQ(w->windowTitle(), "Select your Grand Prix 3\\Sound  Directory");
    TypeNameAndEnter(w, Path("bsound01.16"));
  });
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), PathStd("bsound01.16"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

struct ExtensionCase {
  const char* name;
  bool save;
  const char* defaultExt;
  const char* typed;
  const char* returned;
  bool extensionDifferent;
};

void PrintTo(const ExtensionCase& c, std::ostream* os) { *os << c.name; }

class TypedExtension : public FileDialogRun, public ::testing::WithParamInterface<ExtensionCase> {};

TEST_P(TypedExtension, FollowsTheDefaultExtension) {
  const ExtensionCase& c = GetParam();
  TSaveDialog save;
  TOpenDialog open;
  TOpenDialog& d = c.save ? save : open;
  d.SetInitialDir(dir_.path().toStdString());
  d.SetDefaultExt(c.defaultExt);
  DialogDriver driver([&](QWidget* w) { TypeNameAndEnter(w, c.typed); });
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), PathStd(c.returned));
  EXPECT_EQ(d.Options().Contains(TOpenOption::ofExtensionDifferent), c.extensionDifferent);
}

INSTANTIATE_TEST_SUITE_P(Names, TypedExtension,
                         ::testing::Values(ExtensionCase{"OpenNoDefault", false, "", "noext", "noext", false},
                                           ExtensionCase{"SaveNoDefault", true, "", "noext", "noext", false},
                                           ExtensionCase{"SaveDefaultAdded", true, "wav", "noext", "noext.wav", false},
                                           ExtensionCase{"SaveOtherKept", true, "wav", "a.raw", "a.raw", true}),
                         [](const ::testing::TestParamInfo<ExtensionCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(FileDialogRun, PathMustExistKeepsTheDialogOpenForAMissingFolder) {
  TOpenDialog open;
  open.SetInitialDir(dir_.path().toStdString());
  open.SetOptions(open.Options() + TOpenOptions{TOpenOption::ofPathMustExist});
  bool warned = false;
  // The warning comes up inside the Enter of the first script.
  DialogDriver warning(
      [&](QWidget* box) {
        warned = true;
        Key(box, Qt::Key_Escape);
      },
      [] {
        QWidget* m = QApplication::activeModalWidget();
        return m && m->inherits("QMessageBox") ? m : nullptr;
      });
  DialogDriver driver([&](QWidget* w) {
    TypeNameAndEnter(w, Path("nowhere/x.wav"));
    EXPECT_TRUE(w->isVisible());
    // The name box has the focus again once the warning is gone.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == NameBox(w); }, 5000));
    TypeNameAndEnter(w, Path("here.wav"));
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_TRUE(warned);
  EXPECT_EQ(open.FileName(), PathStd("here.wav"));
}

TEST(PickDirectory, CancelGivesFalseAndAnEmptyPathWithoutBlockingOtherWindows) {
  std::string directory = "left over";
  DialogDriver driver(
      [](QWidget* w) {
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        auto* label = w->findChild<QLabel*>("lookInLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), "Choose Destination Directory");
        EXPECT_TRUE(label->isVisible());
        EXPECT_NE(w->windowTitle(), "Choose Destination Directory");
        Key(w, Qt::Key_Escape);
      },
      DialogDriver::TopLevelNamed("PickDirectory"));
  TMessages messages;
  EXPECT_FALSE(messages.PickDirectory("Choose Destination Directory", "", directory));
  EXPECT_TRUE(driver.Ran());
  EXPECT_EQ(directory, "");
}

TEST(PickDirectory, OpensAtTheRootAndPickingItGivesSlash) {
  std::string directory;
  DialogDriver driver(
      [](QWidget* w) {
        EXPECT_EQ(qobject_cast<QFileDialog*>(w)->directory().absolutePath(), "/");
        Key(w, Qt::Key_Return);
      },
      DialogDriver::TopLevelNamed("PickDirectory"));
  EXPECT_TRUE(PickDirectory("Choose Destination Directory", "", directory));
  EXPECT_EQ(directory, "/");
}

TEST(PickDirectory, ATypedFolderComesBackWithoutItsTrailingSlash) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
  std::string directory;
  DialogDriver driver(
      [&](QWidget* w) {
        EXPECT_EQ(qobject_cast<QFileDialog*>(w)->directory().absolutePath(), QDir(dir.path()).absolutePath());
        TypeNameAndEnter(w, dir.filePath("out") + "/");
      },
      DialogDriver::TopLevelNamed("PickDirectory"));
  EXPECT_TRUE(PickDirectory("Choose Destination Directory", dir.path().toStdString(), directory));
  EXPECT_EQ(directory, dir.filePath("out").toStdString());
}

TEST(FileDialogProperties, TheSharedExtensionRuleAgreesWithTheToolkit) {
  for (const char* name : {"take.wav", "/tmp/a.tar.gz", "noext", "/tmp/dir.d/noext", "name.", ".wav", "/tmp/a.b/",
                           "", "d\xC3\xA9j\xC3\xA0.\xC3\xA9t\xC3\xA9"})
    EXPECT_EQ(QString::fromStdString(FileNameExtension(name)), QFileInfo(QString::fromUtf8(name)).suffix()) << name;
}
