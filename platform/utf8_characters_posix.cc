// The thread's character locale set to C.UTF-8 (POSIX 2008 per-thread
// locales), and put back.
#include <locale.h>

#include "platform/utf8_characters.h"

namespace platform {

Utf8Characters::Utf8Characters() {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (utf8 == static_cast<locale_t>(nullptr)) return;  // no such locale: names stay as they are
  locale_ = utf8;
  previous_ = uselocale(utf8);
}

Utf8Characters::~Utf8Characters() {
  if (locale_ == nullptr) return;
  uselocale(static_cast<locale_t>(previous_));
  freelocale(static_cast<locale_t>(locale_));
}

}  // namespace platform
