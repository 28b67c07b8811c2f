#include "Messages.h"

#include "MessageDialog.h"
#include "PickDirectory.h"

TModalResult TMessages::MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                                      int helpContext) {
  return ::MessageDialog(text, kind, buttons, helpContext);
}

void TMessages::PlainMessage(const std::string& text) { ::PlainMessage(text); }

bool TMessages::PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) {
  return ::PickDirectory(prompt, root, directory);
}
