#pragma once
// Test fixture: a player pointed at the fake decoder library, whose control
// block the test holds. The test keeps its own reference on the fake so the
// block outlives the player's loading and unloading.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeMpegDll.h"
#include "MPEGPlay.h"

inline FakeMpegDllState* OpenFakeState(const std::string& dir) {
  void* handle = dlopen((dir + "/libmpegdll.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  auto state = reinterpret_cast<FakeMpegDllState* (*)()>(dlsym(handle, "FakeMpegDll_State"));
  return state ? state() : nullptr;
}

// Runs `action` and checks that it raises TMPEGError with this message and code.
inline void ExpectMPEGError(const std::function<void()>& action, const std::string& message, int code) {
  try {
    action();
    ADD_FAILURE() << "no TMPEGError, expected \"" << message << "\"";
  } catch (const TMPEGError& e) {
    EXPECT_EQ(e.Message(), message);
    EXPECT_EQ(e.ErrorCode, code);
  }
}

class FakeLibraryTest : public ::testing::Test {
 protected:
  using Calls = std::vector<std::string>;

  void SetUp() override {
    fake = OpenFakeState(FAKE_DLL_DIR);
    ASSERT_NE(fake, nullptr) << dlerror();
    fake->Reset();
    player.SetPathToDLL(FAKE_DLL_DIR);
  }

  // Loads the player and forgets the calls made so far.
  void Load() {
    player.LoadDLL();
    ASSERT_TRUE(player.Loaded());
    fake->calls.clear();
  }

  void LoadAndOpen() {
    Load();
    player.SetStreamName("song.mp3");
    player.Open();
    fake->calls.clear();
  }

  void LoadAndStart() {
    LoadAndOpen();
    player.Play();
    ASSERT_TRUE(player.Playing());
    fake->calls.clear();
  }

  // The calls without the "LastError" reads between them.
  Calls EntryCalls() const {
    Calls result;
    for (const auto& c : fake->calls)
      if (c != "LastError()") result.push_back(c);
    return result;
  }

  FakeMpegDllState* fake = nullptr;
  TMPEGPlayer player;
};
