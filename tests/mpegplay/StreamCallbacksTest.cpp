// The six stream callbacks, called the way the library calls them: through
// the addresses and user pointer the player handed to "Open".
#include <cstring>
#include <stdexcept>

#include "FakeFixture.h"

namespace {

class MpegStreamCallbackTest : public FakeLibraryTest {
 protected:
  void SetUp() override {
    FakeLibraryTest::SetUp();
    Load();
    player.SetFromStream(true);
    player.Open();
    ASSERT_NE(fake->openCb, nullptr);
    ASSERT_NE(fake->closeCb, nullptr);
    ASSERT_NE(fake->restartCb, nullptr);
    ASSERT_NE(fake->readCb, nullptr);
    ASSERT_NE(fake->seekCb, nullptr);
    ASSERT_NE(fake->getSizeCb, nullptr);
    fake->calls.clear();
  }

  // No callback changes the player or talks to the library.
  void ExpectPlayerUntouched() {
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_TRUE(player.Opened());
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.PlayedXTimes(), 1);
  }

  void* const kContext = reinterpret_cast<void*>(0x5eed);
};

TEST_F(MpegStreamCallbackTest, WithoutHandlersTheLibraryGetsTheDefaults) {
  MpegBool nonseekable = 1;
  void* context = kContext;
  fake->openCb(fake->user, &nonseekable, &context);
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(nonseekable, 1);

  char buffer[16] = {};
  int32_t bytesRead = 77;
  MpegBool ok = 1;
  fake->readCb(fake->user, kContext, buffer, sizeof buffer, &bytesRead, &ok);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(bytesRead, 77);

  int32_t seekResult = 5;
  fake->seekCb(fake->user, kContext, 10, 0, &seekResult);
  EXPECT_EQ(seekResult, -1);

  int32_t size = 5;
  fake->getSizeCb(fake->user, kContext, &size);
  EXPECT_EQ(size, -1);

  MpegBool restarted = 1;
  fake->restartCb(fake->user, kContext, &restarted);
  EXPECT_EQ(restarted, 0);

  fake->closeCb(fake->user, kContext);
  ExpectPlayerUntouched();
}

TEST_F(MpegStreamCallbackTest, HandlersGetTheArgumentsAndWriteTheLibrarysVariables) {
  int source = 0;
  player.OnOpenStream = [&](bool& nonseekable, void*& context) {
    EXPECT_FALSE(nonseekable);
    nonseekable = true;
    context = &source;
  };
  player.OnReadStream = [&](void* context, void* buffer, int32_t toRead, int32_t& read, bool& res) {
    EXPECT_EQ(context, &source);
    std::memset(buffer, 'a', static_cast<size_t>(toRead));
    read = toRead;
    res = true;
  };
  player.OnSeekStream = [&](void* context, int32_t numbytes, int32_t moveMethod, int32_t& res) {
    EXPECT_EQ(context, &source);
    res = numbytes * 10 + moveMethod;
  };
  player.OnGetStreamSize = [&](void* context, int32_t& res) {
    EXPECT_EQ(context, &source);
    res = 4096;
  };
  player.OnRestartStream = [&](void* context, bool& res) {
    EXPECT_EQ(context, &source);
    res = true;
  };
  void* closed = nullptr;
  player.OnCloseStream = [&](void* context) { closed = context; };

  MpegBool nonseekable = 0;
  void* context = nullptr;
  fake->openCb(fake->user, &nonseekable, &context);
  EXPECT_EQ(nonseekable, 1);
  ASSERT_EQ(context, &source);

  char buffer[8] = {};
  int32_t bytesRead = 0;
  MpegBool ok = 0;
  fake->readCb(fake->user, context, buffer, 4, &bytesRead, &ok);
  EXPECT_EQ(std::string(buffer, 5), std::string("aaaa\0", 5));
  EXPECT_EQ(bytesRead, 4);
  EXPECT_EQ(ok, 1);

  int32_t seekResult = 0;
  fake->seekCb(fake->user, context, 12, 2, &seekResult);
  EXPECT_EQ(seekResult, 122);
  int32_t size = 0;
  fake->getSizeCb(fake->user, context, &size);
  EXPECT_EQ(size, 4096);
  MpegBool restarted = 0;
  fake->restartCb(fake->user, context, &restarted);
  EXPECT_EQ(restarted, 1);
  fake->closeCb(fake->user, context);
  EXPECT_EQ(closed, &source);
  ExpectPlayerUntouched();
}

TEST_F(MpegStreamCallbackTest, HandlerLeavingResultAloneKeepsWhatTheLibraryHad) {
  player.OnReadStream = [](void*, void*, int32_t, int32_t&, bool&) {};
  player.OnRestartStream = [](void*, bool&) {};
  player.OnSeekStream = [](void*, int32_t, int32_t, int32_t&) {};
  player.OnOpenStream = [](bool&, void*&) {};
  MpegBool ok = 7;
  int32_t bytesRead = 3;
  char buffer[4];
  fake->readCb(fake->user, kContext, buffer, 4, &bytesRead, &ok);
  EXPECT_EQ(ok, 7);
  EXPECT_EQ(bytesRead, 3);
  MpegBool restarted = 9;
  fake->restartCb(fake->user, kContext, &restarted);
  EXPECT_EQ(restarted, 9);
  int32_t seekResult = 42;
  fake->seekCb(fake->user, kContext, 0, 0, &seekResult);
  EXPECT_EQ(seekResult, 42);
  MpegBool nonseekable = 5;
  void* context = kContext;
  fake->openCb(fake->user, &nonseekable, &context);
  EXPECT_EQ(nonseekable, 5);
  EXPECT_EQ(context, kContext);
}

TEST_F(MpegStreamCallbackTest, ThrowingHandlerCountsAsAFailedRequest) {
  const auto fail = [] { throw std::runtime_error("source gone"); };
  player.OnOpenStream = [&](bool&, void*&) { fail(); };
  player.OnReadStream = [&](void*, void*, int32_t, int32_t&, bool&) { fail(); };
  player.OnSeekStream = [&](void*, int32_t, int32_t, int32_t&) { fail(); };
  player.OnGetStreamSize = [&](void*, int32_t&) { fail(); };
  player.OnRestartStream = [&](void*, bool&) { fail(); };
  player.OnCloseStream = [&](void*) { fail(); };

  MpegBool nonseekable = 0;
  void* context = kContext;
  fake->openCb(fake->user, &nonseekable, &context);
  EXPECT_EQ(context, nullptr);
  MpegBool ok = 1;
  int32_t bytesRead = 0;
  char buffer[4];
  fake->readCb(fake->user, kContext, buffer, 4, &bytesRead, &ok);
  EXPECT_EQ(ok, 0);
  int32_t seekResult = 0;
  fake->seekCb(fake->user, kContext, 0, 0, &seekResult);
  EXPECT_EQ(seekResult, -1);
  int32_t size = 0;
  fake->getSizeCb(fake->user, kContext, &size);
  EXPECT_EQ(size, -1);
  MpegBool restarted = 1;
  fake->restartCb(fake->user, kContext, &restarted);
  EXPECT_EQ(restarted, 0);
  fake->closeCb(fake->user, kContext);
  ExpectPlayerUntouched();
}

}  // namespace
