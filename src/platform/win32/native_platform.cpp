// The Win32 back-end of the platform layer.
#include "platform/win32/windows_api.h"

#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace refontis::platform {
namespace {

class Win32ReadableFile : public ReadableFile {
 public:
  explicit Win32ReadableFile(HANDLE h) : h_(h) {}
  ~Win32ReadableFile() override { CloseHandle(h_); }
  int64_t Length() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(h_, &size) ? static_cast<int64_t>(size.QuadPart) : -1;
  }
  int64_t Read(std::span<uint8_t> dst) override {
    size_t done = 0;
    while (done < dst.size()) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(dst.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(h_, dst.data() + done, want, &got, nullptr)) return -1;
      if (got == 0) break;
      done += got;
    }
    return static_cast<int64_t>(done);
  }

 private:
  HANDLE h_;
};

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE h) : h_(h) {}
  ~Win32WritableFile() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  bool Write(std::span<const uint8_t> bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD wrote = 0;
      if (!WriteFile(h_, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return false;
      done += wrote;
    }
    return true;
  }
  bool Sync() override { return h_ != INVALID_HANDLE_VALUE && FlushFileBuffers(h_) != 0; }

  bool Close() override {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    const bool closed = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE h_;
};

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

}  // namespace

Win32Platform::Win32Platform() = default;
Win32Platform::~Win32Platform() = default;  // the mutex handle goes with the process

std::unique_ptr<ReadableFile> Win32Platform::OpenForRead(const std::string& path,
                                                         ShareMode mode) {
  const DWORD share = mode == ShareMode::kExclusive ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32ReadableFile>(h);
}

std::unique_ptr<WritableFile> Win32Platform::CreateForWrite(const std::string& path,
                                                            CreateMode mode) {
  // CREATE_NEW fails on any existing name, a reparse point included: nothing planted is opened.
  const DWORD disposition = mode == CreateMode::kCreateNew ? CREATE_NEW : CREATE_ALWAYS;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32WritableFile>(h);
}

bool Win32Platform::DeleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32Platform::FileExists(const std::string& path) {
  return PathFileExistsA(path.c_str()) != 0;
}

bool Win32Platform::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (!CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE)) return false;
  // The copy must be on the disk before it counts as done.
  HANDLE h = CreateFileA(to.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(h) != 0;
  CloseHandle(h);
  return flushed;
}

std::string Win32Platform::TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n > sizeof buffer) return {};
  return WithBackslash(buffer);
}

std::optional<std::vector<FolderEntry>> Win32Platform::ListFolder(const std::string& folder) {
  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    entries.push_back({data.cFileName, data.dwFileAttributes});
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return entries;
}

std::optional<std::vector<std::string>> Win32Platform::LogicalDriveRoots() {
  char buffer[260] = {};
  const DWORD n = GetLogicalDriveStringsA(sizeof buffer, buffer);
  if (n == 0 || n > sizeof buffer) return std::nullopt;
  std::vector<std::string> roots;
  for (const char* p = buffer; *p != '\0'; p += strlen(p) + 1) roots.emplace_back(p);
  return roots;
}

int Win32Platform::GetDriveType(const std::string& root) {
  return static_cast<int>(GetDriveTypeA(root.c_str()));
}

std::string Win32Platform::GetPrivateProfileString(const std::string& section,
                                                   const std::string& key,
                                                   const std::string& fallback,
                                                   size_t bufferSize, const std::string& path) {
  if (bufferSize == 0) return {};
  std::vector<char> buffer(bufferSize, '\0');
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(),
                                           buffer.data(), static_cast<DWORD>(bufferSize),
                                           path.c_str());
  return std::string(buffer.data(), n);
}

int Win32Platform::GetPrivateProfileInt(const std::string& section, const std::string& key,
                                        int fallback, const std::string& path) {
  return static_cast<int>(
      GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path.c_str()));
}

int64_t Win32Platform::Time() { return static_cast<int64_t>(std::time(nullptr)); }

int Win32Platform::Rand() { return std::rand(); }

std::optional<std::span<const uint8_t>> Win32Platform::FindResource(std::string_view type,
                                                                    int id) {
  const std::string typeName(type);
  HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), typeName.c_str());
  if (info == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(nullptr, info);
  if (loaded == nullptr) return std::nullopt;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return std::nullopt;
  const DWORD size = SizeofResource(nullptr, info);
  return std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), size);
}

std::optional<OsVersionInfo> Win32Platform::GetVersion() {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);  // 156
  BOOL ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
  if (!ok) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148
    ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
  }
  if (!ok) return std::nullopt;
  OsVersionInfo v;
  v.platformId = info.dwPlatformId;
  v.majorVersion = info.dwMajorVersion;
  v.minorVersion = info.dwMinorVersion;
  v.servicePack = info.szCSDVersion;
  return v;
}

void Win32Platform::NotifyFontChange(const std::vector<std::string>&) {
  PostMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

std::string Win32Platform::SystemFolder() {
  char buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_SYSTEM, FALSE)) return {};
  return WithBackslash(buffer);
}

bool Win32Platform::DisableFsRedirection(void** saved) {
  using Disable = BOOL(WINAPI*)(PVOID*);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto disable = reinterpret_cast<Disable>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  return disable != nullptr && disable(saved) != 0;
}

void Win32Platform::RevertFsRedirection(void* saved) {
  using Revert = BOOL(WINAPI*)(PVOID);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto revert = reinterpret_cast<Revert>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
  if (revert != nullptr) revert(saved);
}

bool Win32Platform::AcquireSingleInstance(const std::string& name) {
  HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  if (existing != nullptr) {
    CloseHandle(existing);
    return false;
  }
  mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());  // a failure still lets the program run
  return true;
}

std::string Win32Platform::ExecutableStem() {
  char buffer[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  const char* name = PathFindFileNameA(buffer);
  std::string stem = name;
  const size_t dot = stem.rfind('.');
  return dot == std::string::npos ? stem : stem.substr(0, dot);
}

void Win32Platform::ShowMessage(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "", MB_OK);
}

Platform& NativePlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace refontis::platform
