// Dial-up before a delivery, over NetworkManager's connection profiles (nmcli), looked up when
// each call is made. Operations return 0 on success, 754 when nmcli is not installed, 755 when
// it lacks what was asked of it, otherwise nmcli's own exit status. Names are UTF-8, as
// NetworkManager keeps them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr int kDialerNotInstalled = 754;
inline constexpr int kDialerFunctionMissing = 755;
inline constexpr std::size_t kMaxDialEntries = 100;

class CRasDialer {
 public:
  // The number of network connections that are up (the loopback device does not count).
  int EnumConnections(int& active);
  // Brings up the named connection with its stored credentials; returns when it is up or failed.
  int Dial(const std::string& entry);
  // Takes down the connection this dialer brought up.
  int HangUp();
  // Returns once the hung-up connection is released (or a sane limit has passed).
  int WaitReleased();

  bool HasConnection() const { return !connection_.empty(); }

  // The names of the connection profiles, at most kMaxDialEntries (none on any failure).
  static std::vector<std::string> EnumEntries();

 private:
  std::string connection_;  // the connection this dialer brought up
  std::string hungUp_;      // the connection being released
};

// The profile names in the order they are offered for choosing: ASCII letter case ignored, names
// that differ only in case by their exact bytes.
std::vector<std::string> SortedDialEntries(std::vector<std::string> names);

// The entry the stored connection name (RasName, CP932) picks: the first whose name starts with
// it, ASCII letter case ignored. Nothing for an empty name or when no entry starts with it.
std::optional<std::size_t> FindDialEntry(const std::vector<std::string>& entries,
                                         std::string_view storedCp932);

// Dials `entry` unless a connection is already up; false when dialling failed.
bool DialBeforeDelivery(CRasDialer& dialer, const std::string& entry);

// Hangs up what the dialer dialled and waits until it is released.
void HangUpAndWait(CRasDialer& dialer);

}  // namespace tarnwick
