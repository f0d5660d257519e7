#include "services/file_system.h"

namespace brivet::services {

Text ExtensionOf(const Text& path) {
  const size_t separator = path.find_last_of(u"\\/:");
  const size_t start = separator == Text::npos ? 0 : separator + 1;
  const size_t dot = path.rfind(u'.');
  if (dot == Text::npos || dot < start) return Text();
  return path.substr(dot + 1);
}

}  // namespace brivet::services
