#pragma once
// The dialogs of the program behind the interface the commands use.

#include "CommandPorts.h"

class TMessages : public IMessages {
 public:
  TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                             int helpContext) override;
  void PlainMessage(const std::string& text) override;
  bool PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) override;
};
