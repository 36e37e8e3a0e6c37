// The environment checks, the restart and the redirection guard.
#include "app/environment_checks.h"

#include "app/dialogs.h"

namespace refontis::app {
namespace {

constexpr char kNoSupport[] = "NOSUPPORTVERSION";

int Named(std::string* name, const char* text, int code) {
  *name = text;
  return code;
}

}  // namespace

int DecideOSVersion(uint32_t platformId, uint32_t major, uint32_t minor,
                    const std::string& servicePack, std::string* name) {
  switch (platformId) {
    case 0:
      return Named(name, "Windows 31", kOsOldWindows);
    case 1:
      if (major != 4) return Named(name, kNoSupport, kOsNotSupported);
      if (minor == 0) {
        return servicePack.size() >= 2 && servicePack[1] == 'C'
                   ? Named(name, "Windows 95 OSR2", kOsOldWindows)
                   : Named(name, "Windows 95", kOsOldWindows);
      }
      if (minor == 10) return Named(name, "Windows 98", kOsOldWindows);
      if (minor == 90) return Named(name, "Windows Me", kOsOldWindows);
      return Named(name, kNoSupport, kOsNotSupported);
    case 2:
      if (major <= 3) return Named(name, "Windows NT 3.5", kOsOldWindows);
      if (major == 4) return Named(name, "Windows NT 4", kOsOldWindows);
      if (major == 6) {
        if (minor == 0) return Named(name, "Windows Vista", kOsVista);
        if (minor == 1) return Named(name, "Windows 7", kOsWindows7);
        if (minor == 3) return Named(name, "Windows 8.1", kOsWindows81);
        return Named(name, kNoSupport, kOsNotSupported);
      }
      if (major >= 10) return Named(name, "Windows 10", kOsWindows10);
      return Named(name, kNoSupport, kOsNotSupported);
    default:
      return Named(name, kNoSupport, kOsNotSupported);
  }
}

int GetOSVersionCode(platform::Platform& platform, std::string* name) {
  name->clear();
  const auto version = platform.GetVersion();
  if (!version) return kOsVersionUnreadable;
  if (version->notWindows) return Named(name, "POSIX", kOsWindows10);  // treated as supported
  return DecideOSVersion(version->platformId, version->majorVersion, version->minorVersion,
                         version->servicePack, name);
}

bool IsAdministrator(platform::Platform& platform) { return platform.IsAdministrator(); }

bool CheckAdministratorRights(platform::Platform& platform) { return IsAdministrator(platform); }

int CheckEnvironment(platform::Platform& platform, Ui& ui) {
  std::string name;
  const int code = GetOSVersionCode(platform, &name);
  auto refuse = [&](int message, int result) {
    COKDialog dialog(ui);
    dialog.SetMessage(LoadString(message));
    dialog.DoModal(nullptr);
    return result;
  };
  if (code == kOsVersionUnreadable) return refuse(109, code);
  if (code == kOsOldWindows || code == kOsNotSupported) return refuse(110, code);
  if (!CheckAdministratorRights(platform)) return refuse(111, kNoAdministratorRights);
  return code;
}

bool RestartWindows(platform::Platform& platform) {
  platform.RestartSystem();
  return true;
}

void Wow64FsRedirectionGuard::Begin() { disabled_ = platform_.DisableFsRedirection(&saved_); }

void Wow64FsRedirectionGuard::End() {
  if (disabled_) {
    platform_.RevertFsRedirection(saved_);
    disabled_ = false;
  }
}

}  // namespace refontis::app
