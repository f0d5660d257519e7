// The settings members: small status codes over the shared settings file.
#include "core/text.h"
#include "platform.h"
#include "services/mod_ini.h"
#include "window/window.h"

namespace brivet::window {

namespace {

Variant Status(int16_t code) { return Variant::I2(code); }

}  // namespace

Variant Window::GetInfo(Variant& vsect, Variant& vlin, Variant& vval) {
  // Converted before the trap: a section or key that is no text is the
  // script's error.
  const Text section = ToText(vsect);
  const Text key = ToText(vlin);
  try {
    const Text answer =
        services::ReadSetting(CurrentFileSystem(), CurrentProfile(), section, key);
    int16_t status = 1;
    if (EqualsIgnoringCase(answer, services::kNoSuchSetting)) status = 0;
    else if (EqualsIgnoringCase(answer, services::kFileMissing)) status = -1;
    else if (EqualsIgnoringCase(answer, services::kReadError)) status = -2;
    vval = Variant::Str(status == 1 ? answer : Text());
    return Status(status);
  } catch (const std::exception&) {
    vval = Variant::Str(Text());
    return Status(-2);
  }
}

Variant Window::SaveInfo(Variant& vsect, Variant& vlin, Variant& vval) {
  try {
    const Text section = ToText(vsect);
    const Text key = ToText(vlin);
    const Text value = ToText(vval);
    return Status(static_cast<int16_t>(
        services::WriteSetting(CurrentFileSystem(), CurrentProfile(), section, key, value)));
  } catch (const std::exception&) {
    return Status(-1);
  }
}

Variant Window::DeleteInfo(Variant& vsect, Variant& vlin) {
  try {
    const Text section = ToText(vsect);
    const Text key = ToText(vlin);
    return Status(static_cast<int16_t>(
        services::WriteSetting(CurrentFileSystem(), CurrentProfile(), section, key, std::nullopt)));
  } catch (const std::exception&) {
    return Status(-1);
  }
}

}  // namespace brivet::window
