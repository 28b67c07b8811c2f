// The player's state machine against the scriptable fake decoder library.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "FakeFixture.h"
#include "QtInput.h"
#include "Ticker.h"

namespace fs = std::filesystem;

namespace {

const std::string kNotLoaded = "MPEG library not loaded";
const std::string kIncorrectMode = "Incorrect mode";

// ---- Loading and unloading

using MpegLoadTest = FakeLibraryTest;

TEST_F(MpegLoadTest, LoadCallsOnlyInitAndStartsEmpty) {
  player.LoadDLL();
  EXPECT_EQ(fake->calls, Calls({"init()"}));
  EXPECT_TRUE(player.Loaded());
  EXPECT_EQ(player.StreamLength(), 0);
  ASSERT_NE(player.PositionTimer(), nullptr);
  EXPECT_FALSE(player.PositionTimer()->IsActive());
}

TEST_F(MpegLoadTest, FolderEndingInSlashOrColonGetsNoExtraDelimiter) {
  const fs::path dir = fs::temp_directory_path() / ("mpegplay-path-" + std::to_string(getpid()));
  fs::remove_all(dir);
  ASSERT_TRUE(fs::create_directories(dir));
  // "<dir>/lib:" + "libmpegdll.so" names this link only when no "/" is put between.
  fs::create_symlink(fs::path(FAKE_DLL_DIR) / "libmpegdll.so", dir / "lib:libmpegdll.so");
  player.SetPathToDLL(dir.string() + "/lib:");
  player.LoadDLL();
  EXPECT_TRUE(player.Loaded());
  player.UnloadDLL();

  player.SetPathToDLL(std::string(FAKE_DLL_DIR) + "/");
  player.LoadDLL();
  EXPECT_TRUE(player.Loaded());
  fs::remove_all(dir);
}

struct LoadFailure {
  const char* name;
  int initError;          // init fails with this code when >= 0
  const char* pathToDLL;  // null: the complete fake
  const char* message;
  int code;
};

void PrintTo(const LoadFailure& c, std::ostream* os) { *os << c.name; }

class MpegLoadFailureTest : public FakeLibraryTest, public ::testing::WithParamInterface<LoadFailure> {};

TEST_P(MpegLoadFailureTest, RaisesAndLeavesPlayerUnloaded) {
  const LoadFailure& c = GetParam();
  if (c.pathToDLL) player.SetPathToDLL(c.pathToDLL);
  if (c.initError >= 0) {
    fake->initResult = false;
    fake->errorAfter["init"] = c.initError;
  }
  ExpectMPEGError([&] { player.LoadDLL(); }, c.message, c.code);
  EXPECT_FALSE(player.Loaded());
  if (c.initError >= 0) {
    EXPECT_EQ(fake->calls, Calls({"init()", "LastError()"}));
  }

  // Not loaded afterwards: operations say so, Stop says the mode is wrong,
  // unloading does nothing.
  ExpectMPEGError([&] { player.Open(); }, kNotLoaded, 0);
  ExpectMPEGError([&] { player.Stop(); }, kIncorrectMode, 2);
  const size_t callsBefore = fake->calls.size();
  player.UnloadDLL();
  EXPECT_EQ(fake->calls.size(), callsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    MpegFailures, MpegLoadFailureTest,
    ::testing::Values(LoadFailure{"MissingFile", -1, "/nonexistent/folder", "Can't load MPEG library", 0},
                      LoadFailure{"NotALibrary", -1, "/etc", "Can't load MPEG library", 0},
                      LoadFailure{"EntryMissing", -1, FAKE_DLL_NOSEEK_DIR, "MPEG library not loaded", 0},
                      LoadFailure{"InitFailsWithCode", 5, nullptr, "Output device failure", 5},
                      LoadFailure{"InitFailsWithoutCode", 0, nullptr, "MPEG library not loaded", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MpegLoadTest, LibraryMissingAnEntryIsNotInitialised) {
  FakeMpegDllState* incomplete = OpenFakeState(FAKE_DLL_NOSEEK_DIR);
  ASSERT_NE(incomplete, nullptr);
  incomplete->Reset();
  player.SetPathToDLL(FAKE_DLL_NOSEEK_DIR);
  EXPECT_THROW(player.LoadDLL(), TMPEGError);
  EXPECT_TRUE(incomplete->calls.empty());
}

TEST_F(MpegLoadTest, UnloadClosesAnOpenStreamFirst) {
  LoadAndStart();
  player.UnloadDLL();
  EXPECT_EQ(fake->calls, Calls({"Close()", "LastError()", "deinit()"}));
  EXPECT_FALSE(player.Loaded());
  EXPECT_FALSE(player.Opened());
  ExpectMPEGError([&] { player.Play(); }, kNotLoaded, 0);
}

TEST_F(MpegLoadTest, LoadingAgainUnloadsTheFirstLibraryProperly) {
  LoadAndStart();
  player.LoadDLL();
  EXPECT_EQ(EntryCalls(), Calls({"Close()", "deinit()", "init()"}));
  EXPECT_TRUE(player.Loaded());
  EXPECT_FALSE(player.Opened());
}

TEST_F(MpegLoadTest, UnloadWithoutStreamOnlyDeinitialises) {
  Load();
  player.UnloadDLL();
  EXPECT_EQ(fake->calls, Calls({"deinit()"}));
}

TEST_F(MpegLoadTest, DestroyingALoadedPlayerClosesAndUnloads) {
  Load();
  {
    TMPEGPlayer other;
    other.SetPathToDLL(FAKE_DLL_DIR);
    other.LoadDLL();
    other.SetStreamName("a.mp3");
    other.Play();
    fake->calls.clear();
  }
  EXPECT_EQ(EntryCalls(), Calls({"Close()", "deinit()"}));
}

TEST_F(MpegLoadTest, UnloadFinishesWhenClosingFails) {
  LoadAndOpen();
  fake->errorAfter["Close"] = 1;
  ExpectMPEGError([&] { player.UnloadDLL(); }, "Internal decoder error", 1);
  EXPECT_FALSE(player.Opened());
  // The stream counts as closed, so a second attempt goes through.
  fake->errorAfter.clear();
  fake->calls.clear();
  player.UnloadDLL();
  EXPECT_EQ(fake->calls, Calls({"deinit()"}));
  EXPECT_FALSE(player.Loaded());
}

struct NotLoadedCase {
  const char* name;
  std::function<void(TMPEGPlayer&)> action;
  const char* message;
  int code;
};

void PrintTo(const NotLoadedCase& c, std::ostream* os) { *os << c.name; }

class MpegNotLoadedTest : public FakeLibraryTest, public ::testing::WithParamInterface<NotLoadedCase> {};

TEST_P(MpegNotLoadedTest, RaisesWithoutCallingTheLibrary) {
  player.SetStreamName("song.mp3");
  ExpectMPEGError([&] { GetParam().action(player); }, GetParam().message, GetParam().code);
  EXPECT_TRUE(fake->calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    MpegOperations, MpegNotLoadedTest,
    ::testing::Values(
        NotLoadedCase{"Open", [](TMPEGPlayer& p) { p.Open(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"Play", [](TMPEGPlayer& p) { p.Play(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"PauseTrue", [](TMPEGPlayer& p) { p.Pause(true); }, "MPEG library not loaded", 0},
        NotLoadedCase{"PauseFalse", [](TMPEGPlayer& p) { p.Pause(false); }, "MPEG library not loaded", 0},
        NotLoadedCase{"Restart", [](TMPEGPlayer& p) { p.Restart(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"Close", [](TMPEGPlayer& p) { p.Close(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"GetPlayerMode", [](TMPEGPlayer& p) { p.GetPlayerMode(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"GetCurrentPos", [](TMPEGPlayer& p) { p.GetCurrentPos(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"GetLength", [](TMPEGPlayer& p) { p.GetLength(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"ResetPlayerMode", [](TMPEGPlayer& p) { p.ResetPlayerMode(); }, "MPEG library not loaded", 0},
        NotLoadedCase{"StopSaysModeFirst", [](TMPEGPlayer& p) { p.Stop(); }, "Incorrect mode", 2}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Properties

using MpegPropertyTest = FakeLibraryTest;

TEST_F(MpegPropertyTest, DefaultsAfterConstruction) {
  const TMPEGPlayer p;
  EXPECT_FALSE(p.Seekable());
  EXPECT_FALSE(p.FromStream());
  EXPECT_EQ(p.PlayerPriority(), TPlayPriority::Normal);
  EXPECT_FALSE(p.UseTimer());
  EXPECT_EQ(p.TimerFreq(), 0);
  EXPECT_FALSE(p.AutoPlay());
  EXPECT_EQ(p.StreamName(), "");
  EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);
  EXPECT_EQ(p.WaveDeviceNum(), 0);
  EXPECT_EQ(p.OutFilename(), "");
  EXPECT_EQ(p.PathToDLL(), "");
  EXPECT_EQ(p.StartPos(), 0);
  EXPECT_EQ(p.EndPos(), 0);
  EXPECT_EQ(p.PlayedXTimes(), 0);
  EXPECT_EQ(p.StreamLength(), 0);
  EXPECT_FALSE(p.Loaded());
  EXPECT_EQ(p.PositionTimer(), nullptr);
}

struct PriorityCase {
  const char* name;
  TPlayPriority priority;
  int32_t value;
};

void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.name; }

class MpegPriorityTest : public FakeLibraryTest, public ::testing::WithParamInterface<PriorityCase> {};

TEST_P(MpegPriorityTest, StoredBeforeLoadingReachesTheFirstStartAndReadsBack) {
  player.SetPlayerPriority(GetParam().priority);
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_EQ(player.PlayerPriority(), GetParam().priority);
  LoadAndOpen();
  player.Play();
  EXPECT_EQ(EntryCalls().at(0), "SetPriority(" + std::to_string(GetParam().value) + ")");
}

TEST_P(MpegPriorityTest, AssignedWhileLoadedGoesToTheLibraryAtOnce) {
  Load();
  player.SetPlayerPriority(GetParam().priority);
  EXPECT_EQ(fake->calls, Calls({"SetPriority(" + std::to_string(GetParam().value) + ")", "LastError()"}));
}

INSTANTIATE_TEST_SUITE_P(MpegLevels, MpegPriorityTest,
                         ::testing::Values(PriorityCase{"Idle", TPlayPriority::Idle, -15},
                                           PriorityCase{"Lowest", TPlayPriority::Lowest, -2},
                                           PriorityCase{"BelowNormal", TPlayPriority::BelowNormal, -1},
                                           PriorityCase{"Normal", TPlayPriority::Normal, 0},
                                           PriorityCase{"AboveNormal", TPlayPriority::AboveNormal, 1},
                                           PriorityCase{"Highest", TPlayPriority::Highest, 2},
                                           PriorityCase{"TimeCritical", TPlayPriority::TimeCritical, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MpegPropertyTest, PriorityErrorWhileLoadedRaises) {
  Load();
  fake->errorAfter["SetPriority"] = 2;
  ExpectMPEGError([&] { player.SetPlayerPriority(TPlayPriority::Highest); }, kIncorrectMode, 2);
}

TEST_F(MpegPropertyTest, TimerFreqZeroClearsUseTimer) {
  player.SetUseTimer(true);
  player.SetTimerFreq(40);
  EXPECT_TRUE(player.UseTimer());
  player.SetTimerFreq(0);
  EXPECT_FALSE(player.UseTimer());
  EXPECT_EQ(player.TimerFreq(), 0);
}

TEST_F(MpegPropertyTest, TimerSettingsReachTheTimerOnlyAtLoading) {
  player.SetTimerFreq(40);
  player.SetUseTimer(true);
  Load();
  EXPECT_EQ(player.PositionTimer()->Interval(), 40);
  player.SetTimerFreq(10);
  player.SetUseTimer(false);
  EXPECT_EQ(player.PositionTimer()->Interval(), 40);
  player.SetTimerFreq(0);
  EXPECT_EQ(player.PositionTimer()->Interval(), 40);
}

TEST_F(MpegPropertyTest, TimerWithoutUseTimerGetsIntervalZeroAndNeverStarts) {
  player.SetTimerFreq(40);
  Load();
  EXPECT_EQ(player.PositionTimer()->Interval(), 0);
  player.SetUseTimer(true);
  int updates = 0;
  player.OnPosUpdate = [&](int32_t, int32_t) { ++updates; };
  player.SetStreamName("song.mp3");
  player.Play();
  EXPECT_FALSE(player.PositionTimer()->IsActive());
  EXPECT_EQ(updates, 0);
}

TEST_F(MpegPropertyTest, StreamNameAssignmentClosesOnlyAnOpenStream) {
  Load();
  player.SetStreamName("one.mp3");
  EXPECT_TRUE(fake->calls.empty());
  player.Open();
  fake->calls.clear();
  player.SetStreamName("two.mp3");
  EXPECT_EQ(EntryCalls(), Calls({"Close()"}));
  EXPECT_FALSE(player.Opened());
  EXPECT_EQ(player.StreamName(), "two.mp3");
}

TEST_F(MpegPropertyTest, OutputDeviceMapsToLibraryCodes) {
  player.SetOutputDevice(TOutputDevice::pcmfile);
  EXPECT_EQ(player.OutputDevice(), TOutputDevice::pcmfile);
  player.SetOutFilename("out.wav");
  LoadAndOpen();
  player.Play();
  EXPECT_EQ(EntryCalls().at(1), "SetOutputDevice(2,out.wav)");

  player.Close();
  player.SetOutputDevice(TOutputDevice::wavemapper);
  player.SetOutFilename("");
  EXPECT_EQ(player.OutputDevice(), TOutputDevice::wavemapper);
  player.Open();
  fake->calls.clear();
  player.Play();
  EXPECT_EQ(EntryCalls().at(1), "SetOutputDevice(0,)");
}

// ---- Open

using MpegOpenTest = FakeLibraryTest;

TEST_F(MpegOpenTest, ByNamePassesTheWholeNameAndReadsTheLength) {
  Load();
  const std::string longName = "/music/" + std::string(600, 'x') + ".mp3";
  player.SetStreamName(longName);
  fake->length = 4321;
  player.Open();
  EXPECT_EQ(fake->calls, Calls({"Open(0,0,null)", "LastError()", "GetLength()", "LastError()"}));
  EXPECT_EQ(fake->openName, longName);
  EXPECT_TRUE(player.Opened());
  EXPECT_EQ(player.PlayedXTimes(), 1);
  EXPECT_EQ(player.StreamLength(), 4321);
}

TEST_F(MpegOpenTest, FromStreamPassesSixCallbacksAndThePlayer) {
  Load();
  player.SetFromStream(true);
  player.Open();
  EXPECT_EQ(EntryCalls(), Calls({"Open(1,6,user)", "GetLength()"}));
  EXPECT_TRUE(fake->openNameNull);
  EXPECT_EQ(fake->user, &player);
  EXPECT_TRUE(player.Opened());
}

TEST_F(MpegOpenTest, EmptyStreamNameRaisesCode254WithoutCall) {
  Load();
  ExpectMPEGError([&] { player.Open(); }, "Can't play non-specified stream", 254);
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_FALSE(player.Opened());
}

TEST_F(MpegOpenTest, LibraryErrorLeavesTheStreamClosed) {
  Load();
  player.SetStreamName("bad.mp3");
  fake->errorAfter["Open"] = 3;
  ExpectMPEGError([&] { player.Open(); }, "Input stream error", 3);
  EXPECT_FALSE(player.Opened());
  EXPECT_EQ(player.LastErrorCode(), 3);
  EXPECT_EQ(fake->calls, Calls({"Open(0,0,null)", "LastError()"}));
}

TEST_F(MpegOpenTest, OpenWhileOpenClosesFirst) {
  LoadAndOpen();
  player.Open();
  EXPECT_EQ(EntryCalls(), Calls({"Close()", "Open(0,0,null)", "GetLength()"}));
  EXPECT_EQ(player.PlayedXTimes(), 1);
}

TEST_F(MpegOpenTest, AutoPlayStartsOnceOnOpen) {
  Load();
  player.SetAutoPlay(true);
  player.SetStreamName("song.mp3");
  player.Open();
  EXPECT_EQ(EntryCalls(), Calls({"Open(0,0,null)", "GetLength()", "SetPriority(0)", "SetOutputDevice(0,)",
                                 "SetSndDevice(0)", "Play(0,0)"}));
  EXPECT_EQ(player.PlayedXTimes(), 2);
}

TEST_F(MpegOpenTest, AutoPlayThroughPlayDoesNotRestartAtOnce) {
  Load();
  player.SetAutoPlay(true);
  player.SetStreamName("song.mp3");
  player.Play();
  const Calls calls = EntryCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Play(0,0)"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Restart()"), 0);
  EXPECT_EQ(player.PlayedXTimes(), 2);
  EXPECT_TRUE(player.Playing());
}

// ---- Play

using MpegPlayTest = FakeLibraryTest;

TEST_F(MpegPlayTest, FirstStartOpensAndSendsEverySettingOnce) {
  player.SetPlayerPriority(TPlayPriority::Highest);
  Load();
  player.SetOutputDevice(TOutputDevice::pcmfile);
  player.SetOutFilename("/tmp/out.wav");
  player.SetWaveDeviceNum(3);
  player.SetStartPos(10);
  player.SetEndPos(20);
  player.SetStreamName("song.mp3");
  player.Play();
  EXPECT_EQ(fake->calls, Calls({"Open(0,0,null)", "LastError()", "GetLength()", "LastError()", "SetPriority(2)",
                                "LastError()", "SetOutputDevice(2,/tmp/out.wav)", "LastError()", "SetSndDevice(3)",
                                "LastError()", "Play(10,20)", "LastError()"}));
  EXPECT_TRUE(player.Playing());
  EXPECT_EQ(player.PlayedXTimes(), 2);
  ASSERT_NE(fake->endFlag, nullptr);
}

TEST_F(MpegPlayTest, PlayWhilePlayingDoesNothing) {
  LoadAndStart();
  player.Play();
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_EQ(player.PlayedXTimes(), 2);
  EXPECT_TRUE(player.Playing());
}

TEST_F(MpegPlayTest, PlayWhilePausedResumes) {
  LoadAndStart();
  player.Pause(true);
  EXPECT_TRUE(player.Paused());
  player.Play();
  EXPECT_EQ(EntryCalls(), Calls({"Pause(0)", "Pause(1)"}));
  EXPECT_FALSE(player.Paused());
  EXPECT_EQ(player.PlayedXTimes(), 2);
}

TEST_F(MpegPlayTest, PlayAfterStopRestartsWithoutNewPositions) {
  player.SetStartPos(5);
  LoadAndStart();
  player.Stop();
  player.Play();
  EXPECT_EQ(EntryCalls(), Calls({"Stop()", "Restart()"}));
  EXPECT_EQ(player.PlayedXTimes(), 3);
  EXPECT_TRUE(player.Playing());
  player.Stop();
  player.Play();
  EXPECT_EQ(player.PlayedXTimes(), 4);
}

struct SeenEndCase {
  const char* name;
  std::function<void(TMPEGPlayer&)> see;
};

void PrintTo(const SeenEndCase& c, std::ostream* os) { *os << c.name; }

class MpegSeenEndTest : public FakeLibraryTest, public ::testing::WithParamInterface<SeenEndCase> {};

TEST_P(MpegSeenEndTest, PlayAfterASeenEndRestarts) {
  LoadAndStart();
  player.OnPlayEnd = [](TMPEGPlayer*) {};
  fake->SetEnded();
  GetParam().see(player);
  EXPECT_FALSE(player.Playing());
  fake->calls.clear();
  player.Play();
  EXPECT_EQ(EntryCalls(), Calls({"Restart()"}));
  EXPECT_EQ(player.PlayedXTimes(), 3);
  EXPECT_TRUE(player.Playing());
  EXPECT_FALSE(player.PlayEnded());
}

INSTANTIATE_TEST_SUITE_P(MpegSeers, MpegSeenEndTest,
                         ::testing::Values(SeenEndCase{"ResetPlayerMode",
                                                       [](TMPEGPlayer& p) { EXPECT_TRUE(p.ResetPlayerMode()); }},
                                           SeenEndCase{"TimerTick", [](TMPEGPlayer& p) { p.TimerTick(&p); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MpegPlayTest, PlayAfterAnUnseenEndDoesNothing) {
  LoadAndStart();
  fake->SetEnded();
  player.Play();
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_TRUE(player.Playing());
}

struct StartFailure {
  const char* name;
  const char* entry;  // null: "Play" returns non-zero with no code
  int code;
  const char* message;
};

void PrintTo(const StartFailure& c, std::ostream* os) { *os << c.name; }

class MpegStartFailureTest : public FakeLibraryTest, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(MpegStartFailureTest, FailedFirstStartIsRepeatedWhole) {
  const StartFailure& c = GetParam();
  LoadAndOpen();
  if (c.entry)
    fake->errorAfter[c.entry] = c.code;
  else
    fake->playResult = 1;
  ExpectMPEGError([&] { player.Play(); }, c.message, c.code);
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(player.PlayedXTimes(), 1);

  fake->errorAfter.clear();
  fake->playResult = 0;
  fake->calls.clear();
  player.Play();
  EXPECT_EQ(EntryCalls(), Calls({"SetPriority(0)", "SetOutputDevice(0,)", "SetSndDevice(0)", "Play(0,0)"}));
  EXPECT_TRUE(player.Playing());
  EXPECT_EQ(player.PlayedXTimes(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    MpegFailures, MpegStartFailureTest,
    ::testing::Values(StartFailure{"SetPriority", "SetPriority", 1, "Internal decoder error"},
                      StartFailure{"SetOutputDevice", "SetOutputDevice", 5, "Output device failure"},
                      StartFailure{"SetSndDevice", "SetSndDevice", 5, "Output device failure"},
                      StartFailure{"PlayWithCode", "Play", 3, "Input stream error"},
                      StartFailure{"PlayNonZeroWithoutCode", nullptr, 0, "MPEG library not loaded"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MpegPlayTest, EndFlagOfAnEarlierStreamDoesNotEndTheNextOne) {
  LoadAndStart();
  fake->SetEnded();
  EXPECT_TRUE(player.ResetPlayerMode());
  player.Close();
  player.Open();
  player.Play();
  EXPECT_FALSE(player.PlayEnded());
  fake->calls.clear();
  // Playing for real: it can be paused and stopped, and nothing is reset yet.
  EXPECT_FALSE(player.ResetPlayerMode());
  player.Pause(true);
  player.Stop();
  EXPECT_EQ(EntryCalls(), Calls({"Pause(0)", "Stop()"}));
}

// ---- Pause, Stop, Restart, Close

using MpegModeTest = FakeLibraryTest;

TEST_F(MpegModeTest, PauseWhenNotPlaying) {
  LoadAndOpen();
  ExpectMPEGError([&] { player.Pause(true); }, kIncorrectMode, 2);
  player.Pause(false);
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_FALSE(player.Paused());
}

TEST_F(MpegModeTest, PauseAndStopAfterTheEndAreWrongModes) {
  LoadAndStart();
  player.Pause(true);
  fake->SetEnded();
  fake->calls.clear();
  ExpectMPEGError([&] { player.Pause(true); }, kIncorrectMode, 2);
  EXPECT_FALSE(player.Paused());
  ExpectMPEGError([&] { player.Stop(); }, kIncorrectMode, 2);
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(MpegModeTest, PauseErrorKeepsThePausedState) {
  LoadAndStart();
  fake->errorAfter["Pause"] = 2;
  ExpectMPEGError([&] { player.Pause(true); }, kIncorrectMode, 2);
  EXPECT_FALSE(player.Paused());
}

TEST_F(MpegModeTest, StopWhilePausedStopsAndClearsBoth) {
  LoadAndStart();
  player.Pause(true);
  fake->calls.clear();
  player.Stop();
  EXPECT_EQ(fake->calls, Calls({"Stop()", "LastError()"}));
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.Paused());
  EXPECT_TRUE(player.Opened());
  ExpectMPEGError([&] { player.Stop(); }, kIncorrectMode, 2);
}

TEST_F(MpegModeTest, RestartNeedsAnOpenStream) {
  Load();
  ExpectMPEGError([&] { player.Restart(); }, kIncorrectMode, 2);
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(MpegModeTest, RestartClearsTheEndFlagAndCounts) {
  LoadAndStart();
  fake->SetEnded();
  player.Restart();
  EXPECT_FALSE(player.PlayEnded());
  EXPECT_EQ(fake->calls, Calls({"Restart()", "LastError()"}));
  EXPECT_EQ(player.PlayedXTimes(), 3);
}

TEST_F(MpegModeTest, CloseWithoutStreamStillCallsTheLibrary) {
  Load();
  player.Close();
  EXPECT_EQ(fake->calls, Calls({"Close()", "LastError()"}));
}

TEST_F(MpegModeTest, FailingCloseStillLeavesThePlayerClosed) {
  LoadAndStart();
  player.Pause(true);
  fake->errorAfter["Close"] = 1;
  ExpectMPEGError([&] { player.Close(); }, "Internal decoder error", 1);
  EXPECT_FALSE(player.Opened());
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.Paused());
  EXPECT_EQ(player.PlayedXTimes(), 0);
}

TEST_F(MpegModeTest, CloseKeepsLengthAndEndFlag) {
  fake->length = 900;
  LoadAndStart();
  fake->SetEnded();
  player.Close();
  EXPECT_EQ(player.StreamLength(), 900);
  EXPECT_TRUE(player.PlayEnded());
}

// ---- Queries

using MpegQueryTest = FakeLibraryTest;

TEST_F(MpegQueryTest, QueriesReturnTheLibraryValuesUnchanged) {
  Load();
  fake->playerMode = 3;
  fake->currentPos = -1;
  fake->length = 123456;
  EXPECT_EQ(player.GetPlayerMode(), 3);
  EXPECT_EQ(player.GetCurrentPos(), -1);
  EXPECT_EQ(player.GetLength(), 123456);
  EXPECT_EQ(fake->calls,
            Calls({"GetPlayerMode()", "LastError()", "GetCurrentPos()", "LastError()", "GetLength()", "LastError()"}));
  fake->errorAfter["GetCurrentPos"] = 4;
  ExpectMPEGError([&] { player.GetCurrentPos(); }, "Input stream is non-seekable", 4);
}

TEST_F(MpegQueryTest, ResetPlayerModeAsksTheLibraryOnlyAfterTheEnd) {
  LoadAndStart();
  EXPECT_FALSE(player.ResetPlayerMode());
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_TRUE(player.Playing());

  fake->SetEnded();
  fake->resetResult = false;
  EXPECT_FALSE(player.ResetPlayerMode());
  EXPECT_FALSE(player.Playing());
  fake->resetResult = true;
  EXPECT_TRUE(player.ResetPlayerMode());
  EXPECT_EQ(EntryCalls(), Calls({"ResetPlayerMode()", "ResetPlayerMode()"}));
  EXPECT_TRUE(player.PlayEnded());
}

// ---- Position timer

struct PosCase {
  const char* name;
  int32_t libraryPos;
  int32_t length;
  int32_t reported;
};

void PrintTo(const PosCase& c, std::ostream* os) { *os << c.name; }

class MpegPosUpdateTest : public FakeLibraryTest, public ::testing::WithParamInterface<PosCase> {};

TEST_P(MpegPosUpdateTest, ReportsPositionAgainstStreamLength) {
  fake->length = GetParam().length;
  LoadAndStart();
  fake->currentPos = GetParam().libraryPos;
  std::vector<std::pair<int32_t, int32_t>> updates;
  player.OnPosUpdate = [&](int32_t pos, int32_t len) { updates.emplace_back(pos, len); };
  player.TimerTick(nullptr);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].first, GetParam().reported);
  EXPECT_EQ(updates[0].second, GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(MpegPositions, MpegPosUpdateTest,
                         ::testing::Values(PosCase{"NoPositionYet", -1, 100, -1}, PosCase{"Start", 0, 100, 0},
                                           PosCase{"Middle", 50, 100, 50}, PosCase{"AtLength", 100, 100, 100},
                                           PosCase{"BeyondLength", 101, 100, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MpegPlayTest, TickAtTheEndReportsOnceAndClearsTheFlagForAHandler) {
  player.SetUseTimer(true);
  player.SetTimerFreq(60000);
  LoadAndStart();
  ASSERT_TRUE(player.PositionTimer()->IsActive());
  std::vector<TMPEGPlayer*> ends;
  player.OnPlayEnd = [&](TMPEGPlayer* sender) {
    EXPECT_FALSE(sender->PlayEnded());
    ends.push_back(sender);
  };
  fake->SetEnded();
  player.TimerTick(nullptr);
  EXPECT_EQ(ends, std::vector<TMPEGPlayer*>({&player}));
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.PositionTimer()->IsActive());
  player.TimerTick(nullptr);
  EXPECT_EQ(ends.size(), 1u);
}

TEST_F(MpegPlayTest, TickAtTheEndWithoutHandlerKeepsTheFlag) {
  LoadAndStart();
  fake->SetEnded();
  player.TimerTick(nullptr);
  EXPECT_FALSE(player.Playing());
  EXPECT_TRUE(player.PlayEnded());
}

TEST_F(MpegPlayTest, TickWithoutPlaybackStopsTheTimerAndAsksNothing) {
  player.SetUseTimer(true);
  player.SetTimerFreq(60000);
  LoadAndStart();
  player.Stop();
  fake->calls.clear();
  player.TimerTick(nullptr);
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_FALSE(player.PositionTimer()->IsActive());
}

TEST_F(MpegPlayTest, StartAndRestartTickAtOnceWhenTheTimerIsWanted) {
  player.SetUseTimer(true);
  player.SetTimerFreq(60000);
  fake->length = 1000;
  Load();
  fake->currentPos = 7;
  std::vector<int32_t> positions;
  player.OnPosUpdate = [&](int32_t pos, int32_t) { positions.push_back(pos); };
  player.SetStreamName("song.mp3");
  player.Play();
  EXPECT_EQ(positions, std::vector<int32_t>({7}));
  EXPECT_TRUE(player.PositionTimer()->IsActive());
  player.Stop();
  player.Play();
  EXPECT_EQ(positions, std::vector<int32_t>({7, 7}));
}

TEST_F(MpegPlayTest, TickErrorsFromTheTimerGoToTheGuard) {
  player.SetUseTimer(true);
  player.SetTimerFreq(5);
  std::vector<std::string> shown;
  player.SetTimerGuard([&](const std::function<void()>& tick) {
    try {
      tick();
    } catch (const Exception& e) {
      shown.push_back(e.Message());
    }
  });
  LoadAndOpen();
  fake->errorAfter["GetCurrentPos"] = 3;
  // Called from Play the tick's error reaches Play's caller, playback started.
  ExpectMPEGError([&] { player.Play(); }, "Input stream error", 3);
  EXPECT_TRUE(player.Playing());
  ASSERT_TRUE(PumpUntil([&] { return !shown.empty(); }));
  EXPECT_EQ(shown.front(), "Input stream error");
}

TEST_F(MpegPlayTest, TimerDeliversTheEndThroughTheEventLoop) {
  player.SetUseTimer(true);
  player.SetTimerFreq(5);
  LoadAndStart();
  bool ended = false;
  player.OnPlayEnd = [&](TMPEGPlayer*) { ended = true; };
  fake->SetEnded();
  ASSERT_TRUE(PumpUntil([&] { return ended; }));
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.PositionTimer()->IsActive());
}

}  // namespace
