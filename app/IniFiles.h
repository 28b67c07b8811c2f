#pragma once
// The settings file: INI text read and written on every call, no cache.
// Section and key names compare without letter case; blanks around names and
// values are ignored; one pair of surrounding quotes is removed on reading;
// writes put "key=value" without blanks and keep every other line of the file
// byte for byte, with the file's own line endings (new files: LF).

#include <string>

class TCustomIniFile {
 public:
  explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  virtual ~TCustomIniFile() = default;
  const std::string& FileName() const { return fileName_; }

  // At most 2047 characters; the default when the file, section or key is missing.
  virtual std::string ReadText(const std::string& section, const std::string& ident,
                               const std::string& defaultValue) = 0;
  // Creates the file and the section when missing; raises Exception
  // "Impossible d'écrire dans <file name>" when the file cannot be written.
  virtual void WriteText(const std::string& section, const std::string& ident, const std::string& value) = 0;

 private:
  std::string fileName_;
};

class TIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  std::string ReadText(const std::string& section, const std::string& ident,
                       const std::string& defaultValue) override;
  void WriteText(const std::string& section, const std::string& ident, const std::string& value) override;
};
