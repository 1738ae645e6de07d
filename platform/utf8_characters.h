// Libraries that hand out names as "multibyte text" (libarchive's member
// names) convert them to the calling thread's locale; in the C locale of a
// POSIX program a name in Chinese cannot be converted and comes back as
// nothing at all. Windows gives such names as UTF-16 instead.
#pragma once

namespace platform {

/// While it lives, the calling thread's character locale is UTF-8 on POSIX
/// systems (C.UTF-8), so names convert without loss; nothing else about the
/// locale changes, nor does anything on Windows.
class Utf8Characters {
 public:
  Utf8Characters();
  ~Utf8Characters();
  Utf8Characters(const Utf8Characters&) = delete;
  Utf8Characters& operator=(const Utf8Characters&) = delete;

 private:
  void* locale_ = nullptr;    // the UTF-8 locale made, if any
  void* previous_ = nullptr;  // the thread's locale before
};

}  // namespace platform
