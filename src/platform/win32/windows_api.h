// <windows.h> without the macros that would rename the program's own functions (DeleteFile,
// CopyFile, FindResource, LoadString, ...): every call here names the ANSI function itself.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#undef CopyFile
#undef DeleteFile
#undef FindResource
#undef GetDriveType
#undef GetPrivateProfileInt
#undef GetPrivateProfileString
#undef LoadString
#undef ShowMessage
#undef min
#undef max
