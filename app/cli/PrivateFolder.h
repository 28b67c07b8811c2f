#pragma once
// A new folder of the run's own under $TMPDIR (else /tmp), removed with what
// is left in it when the run ends. The conversion puts its temporary halved
// file into it: the executable's folder may not be writable, and no file of
// the user's may ever be in the way of that name. Two runs at once get two
// folders.

#include <string>

class TPrivateFolder {
 public:
  TPrivateFolder();
  ~TPrivateFolder();
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;

  // The folder, ending in "/"; empty when it could not be made (Error says why).
  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }

 private:
  std::string path_;
  std::string error_;
};
