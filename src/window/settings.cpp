// The settings members: small status codes over the shared settings file.
#include "core/text.h"
#include "core/traps.h"
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
  // A missing service reads as a failed read.
  const Text answer = Trapped(T(services::kReadError), [&] {
    return services::ReadSetting(CurrentFileSystem(), CurrentProfile(), section, key);
  });
  int16_t status = 1;
  if (EqualsIgnoringCase(answer, services::kNoSuchSetting)) status = 0;
  else if (EqualsIgnoringCase(answer, services::kFileMissing)) status = -1;
  else if (EqualsIgnoringCase(answer, services::kReadError)) status = -2;
  vval = Variant::Str(status == 1 ? answer : Text());
  return Status(status);
}

Variant Window::GetInfoValue(Variant& vsect, Variant& vlin) {
  Variant value;
  GetInfo(vsect, vlin, value);
  return value;
}

namespace {

// Writes or, with no value, deletes; every failure is -1.
Variant Write(Variant& vsect, Variant& vlin, const Variant* vval) {
  return Status(Trapped(int16_t{-1}, [&] {
    const Text section = ToText(vsect);
    const Text key = ToText(vlin);
    std::optional<Text> value;
    if (vval) value = ToText(*vval);
    return static_cast<int16_t>(
        services::WriteSetting(CurrentFileSystem(), CurrentProfile(), section, key, value));
  }));
}

}  // namespace

Variant Window::SaveInfo(Variant& vsect, Variant& vlin, Variant& vval) { return Write(vsect, vlin, &vval); }

Variant Window::DeleteInfo(Variant& vsect, Variant& vlin) { return Write(vsect, vlin, nullptr); }

}  // namespace brivet::window
