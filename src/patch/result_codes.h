// The result codes of the update job and the rebuild, with a one-line meaning for tools.
#pragma once

namespace refontis {

enum UpdateResult : int {
  kUpdateOk = 0,
  kUpdateFontUnusable = 1,
  kUpdateStopped = 6,
  kUpdatePatchUnreadable = 7,
  kUpdateNoName = 8,
  kUpdateNoHead = 9,
  kUpdateCopyFailed = 10,
  kUpdateCannotCreateTemp = 11,
  kUpdateReadBackFailed = 12,
  kUpdateSumMismatch = 13,
};

inline const char* UpdateResultMeaning(int code) {
  switch (code) {
    case kUpdateOk: return "the revised font was written";
    case kUpdateFontUnusable:
      return "the font cannot be loaded, lacks a name-ID-13 record, or does not fit the patch";
    case kUpdateStopped: return "stopped by the user";
    case kUpdatePatchUnreadable: return "the patch cannot be read";
    case kUpdateNoName: return "the revised font has no name table";
    case kUpdateNoHead: return "the revised font has no head table";
    case kUpdateCopyFailed: return "the copy over the installed file failed";
    case kUpdateCannotCreateTemp: return "the output file cannot be created";
    case kUpdateReadBackFailed: return "the replaced file cannot be read back";
    case kUpdateSumMismatch: return "the replaced file's word sum does not match";
    default: return "unknown result";
  }
}

}  // namespace refontis
