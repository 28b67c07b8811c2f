#include "CommandFakes.h"

namespace {

void Note(CommandLog* log, const std::string& entry) {
  if (log) log->push_back(entry);
}

}  // namespace

void FakeFileDialog::SetInitialDir(const std::string& d) {
  initialDir = d;
  initialDirsSet.push_back(d);
}

bool FakeFileDialog::Execute() {
  ++executed;
  if (onExecute) onExecute();
  std::string answer = choice;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  if (answer.empty()) return false;
  fileName = answer;
  return true;
}

TModalResult FakeMessages::MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                                         int helpContext) {
  confirmations.push_back({text, kind, buttons, helpContext});
  Note(log_, "dialog " + text);
  if (onDialog) onDialog();
  return answer;
}

void FakeMessages::PlainMessage(const std::string& text) {
  plain.push_back(text);
  Note(log_, "message " + text);
}

bool FakeMessages::PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) {
  picks.push_back({prompt, root});
  Note(log_, "pick");
  if (picked.empty()) return false;
  directory = picked;
  return true;
}

void FakeStatusLine::SetStatusText(const std::string& t) {
  text = t;
  events.push_back(t);
  Note(log_, "status " + t);
  if (onStatusText) onStatusText();
}

void FakeStatusLine::RepaintWindow() {
  events.push_back("*");
  Note(log_, "repaint");
  if (onRepaint) onRepaint();
}

void PrintTo(const GaugeCall& call, std::ostream* os) {
  *os << (call.kind == GaugeCall::kMaxValue ? "MaxValue " : "Progress ") << call.value;
}

int FakeGauge::Progress() const { return shown_ ? shown_->Progress() : progress; }

int FakeGauge::MaxValue() const { return shown_ ? shown_->MaxValue() : maxValue; }

void FakeGauge::SetProgress(int value) {
  calls.push_back(ProgressSetTo(value));
  Note(log_, "gauge " + std::to_string(value));
  progress = value;
  if (shown_) shown_->SetProgress(value);
}

void FakeGauge::SetMaxValue(int value) {
  if (onSetMaxValue) onSetMaxValue();
  calls.push_back(MaxValueSetTo(value));
  Note(log_, "gauge max " + std::to_string(value));
  maxValue = value;
  if (shown_) shown_->SetMaxValue(value);
}

std::vector<int> FakeGauge::ProgressValues() const {
  std::vector<int> values;
  for (const GaugeCall& call : calls)
    if (call.kind == GaugeCall::kProgress) values.push_back(call.value);
  return values;
}

std::string EnabledEntry(const std::string& control, bool enabled) {
  return control + (enabled ? " enabled" : " disabled");
}

std::string VisibleEntry(const std::string& control, bool visible) {
  return control + (visible ? " shown" : " hidden");
}

void FakeControl::SetEnabled(bool value) {
  Note(log_, EnabledEntry(name_, value));
  enabled = value;
}

void FakeControl::SetVisible(bool value) {
  Note(log_, VisibleEntry(name_, value));
  visible = value;
}
