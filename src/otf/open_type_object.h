// The common base of the font-model and patch objects: owners delete them through it.
#pragma once

namespace refontis {

class COpenTypeObject {
 public:
  COpenTypeObject() = default;
  COpenTypeObject(const COpenTypeObject&) = delete;
  COpenTypeObject& operator=(const COpenTypeObject&) = delete;
  virtual ~COpenTypeObject() = default;
};

}  // namespace refontis
