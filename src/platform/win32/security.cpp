// Administrator rights and the restart, through the Windows security calls.
#include "platform/win32/windows_api.h"

#include "platform/win32/win32_platform.h"

namespace refontis::platform {

// The calling thread's token passes an access check against a descriptor that grants access
// to the Administrators group only.
bool Win32Platform::IsAdministrator() {
  BOOL result = FALSE;
  if (!ImpersonateSelf(SecurityImpersonation)) return false;
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
      RevertToSelf();
      return false;
    }
  }
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL acl = nullptr;
  if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                               DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins)) {
    descriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    const DWORD aclSize = GetLengthSid(admins) + 16;
    acl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
    if (descriptor != nullptr && acl != nullptr &&
        InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        InitializeAcl(acl, aclSize, ACL_REVISION2) &&
        AddAccessAllowedAce(acl, ACL_REVISION2, 3, admins) &&
        SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE)) {
      SetSecurityDescriptorGroup(descriptor, admins, FALSE);
      SetSecurityDescriptorOwner(descriptor, admins, FALSE);
      if (IsValidSecurityDescriptor(descriptor)) {
        GENERIC_MAPPING mapping = {1, 2, 0, 3};
        BYTE privileges[20] = {};
        DWORD privilegesLength = sizeof privileges;
        DWORD granted = 0;
        BOOL status = FALSE;
        if (AccessCheck(descriptor, token, 1, &mapping,
                        reinterpret_cast<PPRIVILEGE_SET>(privileges), &privilegesLength, &granted,
                        &status)) {
          result = status;
        }
      }
    }
  }
  RevertToSelf();  // also after a failed check: the thread must not keep impersonating
  if (acl != nullptr) LocalFree(acl);
  if (descriptor != nullptr) LocalFree(descriptor);
  if (admins != nullptr) FreeSid(admins);
  CloseHandle(token);
  return result != FALSE;
}

void Win32Platform::RestartSystem() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
  TOKEN_PRIVILEGES privileges{};
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  TOKEN_PRIVILEGES previous{};
  DWORD previousLength = 0;
  AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous, &previousLength);
  ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
  if (token != nullptr) CloseHandle(token);
}

}  // namespace refontis::platform
