// Before any font is touched: a supported system and administrator rights; afterwards the
// restart, and the redirection guard for the system folder.
#pragma once

#include <cstdint>
#include <string>

#include "app/ui.h"
#include "platform/platform.h"

namespace refontis::app {

inline constexpr int kOsVista = 7;
inline constexpr int kOsWindows7 = 8;
inline constexpr int kOsWindows81 = 10;
inline constexpr int kOsWindows10 = 11;
inline constexpr int kOsVersionUnreadable = 1000;
inline constexpr int kOsOldWindows = 1001;
inline constexpr int kOsNotSupported = 1002;
inline constexpr int kNoAdministratorRights = 1005;

// The decision of the version table: the OS code and its name.
int DecideOSVersion(uint32_t platformId, uint32_t major, uint32_t minor,
                    const std::string& servicePack, std::string* name);

// The OS code of the running system; `name` (261 bytes are cleared by the caller's buffer in
// the original interface) receives its name.
int GetOSVersionCode(platform::Platform& platform, std::string* name);

bool IsAdministrator(platform::Platform& platform);
bool CheckAdministratorRights(platform::Platform& platform);

// The OS code, or 1005 without administrator rights; shows its own refusal message.
int CheckEnvironment(platform::Platform& platform, Ui& ui);

bool RestartWindows(platform::Platform& platform);

// Switches file-system redirection off between Begin and End.
class Wow64FsRedirectionGuard {
 public:
  explicit Wow64FsRedirectionGuard(platform::Platform& platform) : platform_(platform) {}
  ~Wow64FsRedirectionGuard() { End(); }
  void Begin();
  void End();

 private:
  platform::Platform& platform_;
  void* saved_ = nullptr;
  bool disabled_ = false;
};

}  // namespace refontis::app
