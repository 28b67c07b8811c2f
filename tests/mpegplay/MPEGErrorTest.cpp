#include <gtest/gtest.h>

#include "MPEGError.h"
#include "MpegLibrary.h"

namespace {

struct CodeCase {
  const char* name;
  int32_t code;
  const char* message;
  int errorCode;
};

void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.name; }

class MpegLibraryCodeTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(MpegLibraryCodeTest, ErrorCarriesMessageOfCodeAndItsLowByte) {
  const CodeCase& c = GetParam();
  const TMPEGError e = TMPEGError::FromCode(c.code);
  EXPECT_EQ(e.Message(), c.message);
  EXPECT_EQ(e.ErrorCode, c.errorCode);
}

INSTANTIATE_TEST_SUITE_P(MpegCodes, MpegLibraryCodeTest,
                         ::testing::Values(CodeCase{"NoCode", 0, "MPEG library not loaded", 0},
                                           CodeCase{"Decoder", 1, "Internal decoder error", 1},
                                           CodeCase{"Mode", 2, "Incorrect mode", 2},
                                           CodeCase{"Input", 3, "Input stream error", 3},
                                           CodeCase{"NonSeekable", 4, "Input stream is non-seekable", 4},
                                           CodeCase{"Output", 5, "Output device failure", 5},
                                           CodeCase{"UnknownCode", 6, "Internal decoder error", 6},
                                           CodeCase{"CodeAboveOneByte", 0x103, "Internal decoder error", 3},
                                           CodeCase{"NegativeCode", -1, "MPEG library not loaded", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MpegErrorTest, IsAnExceptionWithItsOwnClassNameAndFixedTexts) {
  try {
    throw TMPEGError(kMPEGNoStream, kMPEGNoStreamCode);
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "TMPEGError");
    EXPECT_EQ(e.Message(), "Can't play non-specified stream");
    EXPECT_EQ(dynamic_cast<const TMPEGError&>(e).ErrorCode, 254);
  }
  EXPECT_EQ(TMPEGError("Can't load MPEG library").ErrorCode, 0);
  EXPECT_STREQ(kMPEGCannotLoad, "Can't load MPEG library");
}

struct PathCase {
  const char* name;
  const char* pathToDLL;
  const char* file;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class MpegLibraryPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(MpegLibraryPathTest, DelimiterAddedOnlyWhenNeeded) {
  EXPECT_EQ(TMpegLibrary::FilePath(GetParam().pathToDLL), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(MpegPaths, MpegLibraryPathTest,
                         ::testing::Values(PathCase{"Empty", "", "libmpegdll.so"},
                                           PathCase{"Folder", "/opt/vantrel", "/opt/vantrel/libmpegdll.so"},
                                           PathCase{"EndsInSlash", "/opt/vantrel/", "/opt/vantrel/libmpegdll.so"},
                                           PathCase{"EndsInColon", "/opt/lib:", "/opt/lib:libmpegdll.so"},
                                           PathCase{"ColonInside", "/opt/a:b", "/opt/a:b/libmpegdll.so"},
                                           PathCase{"Root", "/", "/libmpegdll.so"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
