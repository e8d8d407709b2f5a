#include "core/delivery/ras_dialer.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/platform/cp932_case.h"
#include "core/platform/process.h"
#include "core/platform/text_codec.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;

// nmcli waits up to 90 seconds for a connection to come up; this leaves it room to report.
constexpr auto kNmcliTimeout = 120s;
constexpr auto kReleaseLimit = 30s;
constexpr auto kReleasePoll = 200ms;

int Nmcli(const std::vector<std::string>& arguments, std::string* output = nullptr) {
  const ProgramRun run = RunProgram("nmcli", arguments, kNmcliTimeout);
  if (!run.started) return kDialerNotInstalled;
  if (!run.finished) return kDialerFunctionMissing;
  if (output != nullptr) *output = run.output;
  return run.exitCode == 2 ? kDialerFunctionMissing : run.exitCode;
}

// The fields of one line of nmcli's terse output, "\:" and "\\" undone.
std::vector<std::string> TerseFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      fields.back() += line[++i];
    } else if (line[i] == ':') {
      fields.emplace_back();
    } else {
      fields.back() += line[i];
    }
  }
  return fields;
}

std::vector<std::vector<std::string>> TerseLines(const std::string& output) {
  std::vector<std::vector<std::string>> lines;
  ForEachLine(output, [&](std::string_view line) {
    if (!line.empty()) lines.push_back(TerseFields(line));
  });
  return lines;
}

// The names of the active connections, loopback left out.
int ActiveNames(std::vector<std::string>& names) {
  std::string output;
  const int code = Nmcli({"-t", "-f", "NAME,TYPE", "connection", "show", "--active"}, &output);
  if (code != 0) return code;
  for (const std::vector<std::string>& fields : TerseLines(output)) {
    if (fields.size() >= 2 && fields[1] != "loopback") names.push_back(fields[0]);
  }
  return 0;
}

}  // namespace

int CRasDialer::EnumConnections(int& active) {
  std::vector<std::string> names;
  const int code = ActiveNames(names);
  active = static_cast<int>(names.size());
  return code;
}

int CRasDialer::Dial(const std::string& entry) {
  const int code = Nmcli({"-w", "90", "connection", "up", "id", entry});
  if (code == 0) connection_ = entry;
  return code;
}

int CRasDialer::HangUp() {
  hungUp_ = connection_;
  connection_.clear();
  if (hungUp_.empty()) return 0;
  return Nmcli({"connection", "down", "id", hungUp_});
}

int CRasDialer::WaitReleased() {
  const auto deadline = std::chrono::steady_clock::now() + kReleaseLimit;
  while (!hungUp_.empty() && std::chrono::steady_clock::now() < deadline) {
    std::vector<std::string> names;
    const int code = ActiveNames(names);
    if (code != 0) return code;
    if (std::find(names.begin(), names.end(), hungUp_) == names.end()) break;
    std::this_thread::sleep_for(kReleasePoll);
  }
  hungUp_.clear();
  return 0;
}

std::vector<std::string> CRasDialer::EnumEntries() {
  std::string output;
  if (Nmcli({"-t", "-f", "NAME", "connection", "show"}, &output) != 0) return {};
  std::vector<std::string> names;
  for (const std::vector<std::string>& fields : TerseLines(output))
    names.push_back(fields[0]);
  if (names.size() > kMaxDialEntries) return {};
  return names;
}

std::vector<std::string> SortedDialEntries(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int folded = LowerAscii(a).compare(LowerAscii(b));
    return folded != 0 ? folded < 0 : a < b;
  });
  return names;
}

std::optional<std::size_t> FindDialEntry(const std::vector<std::string>& entries,
                                         std::string_view storedCp932) {
  const std::string start = LowerAscii(Cp932ToUtf8(storedCp932));
  if (start.empty()) return std::nullopt;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (LowerAscii(entries[i]).starts_with(start)) return i;
  }
  return std::nullopt;
}

bool DialBeforeDelivery(CRasDialer& dialer, const std::string& entry) {
  int active = 0;
  // A connection already up (to anything), or no way to tell: deliver over what there is.
  if (dialer.EnumConnections(active) != 0 || active > 0) return true;
  return dialer.Dial(entry) == 0;
}

void HangUpAndWait(CRasDialer& dialer) {
  if (!dialer.HasConnection()) return;
  dialer.HangUp();
  dialer.WaitReleased();
}

}  // namespace tarnwick
