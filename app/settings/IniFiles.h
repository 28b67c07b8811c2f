#pragma once
// The settings file: INI text read and written on every call, no cache.
// Section and key names compare without letter case; blanks around names and
// values are ignored; one pair of surrounding quotes is removed on reading;
// writes put "key=value" without blanks and keep every other line of the file
// byte for byte, with the file's own line endings (new files: LF). A file
// name that is a symbolic link is written through to the file it names, also
// when that file does not exist yet; the link itself is never replaced.

#include <string>

class TCustomIniFile {
 public:
  explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  virtual ~TCustomIniFile() = default;
  const std::string& FileName() const { return fileName_; }

  // The default when the file, section or key is missing. At most 2047 bytes
  // on Linux, cut before a UTF-8 character that would not fit whole; on
  // Windows at most 2047 UTF-16 units, as the system's read counts them (a
  // character beyond the Basic Multilingual Plane takes two).
  virtual std::string ReadText(const std::string& section, const std::string& ident,
                               const std::string& defaultValue) = 0;
  // Creates the file and the section when missing; raises Exception
  // "Impossible d'écrire dans <file name>" when the file cannot be written.
  virtual void WriteText(const std::string& section, const std::string& ident, const std::string& value) = 0;

 private:
  std::string fileName_;
};

// Whether a write may create the folders the file name needs.
enum class TFolderCreation { Refuse, Create };

class TIniFile : public TCustomIniFile {
 public:
  // With TFolderCreation::Create the first write creates the missing folders
  // of the file name, readable by the user only; creation touches no file.
  explicit TIniFile(std::string fileName, TFolderCreation folders = TFolderCreation::Refuse)
      : TCustomIniFile(std::move(fileName)), folders_(folders) {}
  std::string ReadText(const std::string& section, const std::string& ident, const std::string& defaultValue) override;
  void WriteText(const std::string& section, const std::string& ident, const std::string& value) override;

 private:
  TFolderCreation folders_;
};
