// The Majordomo configuration read, written and read again: every key the file holds is
// rewritten (first with other values, then with those it was read with), and the file must then
// read as it did at first.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/config/config_lines.h"
#include "core/config/majordomo_config.h"
#include "fuzz_support.h"

namespace {

using tarnwick::ConfigKind;
using tarnwick::ConfigValue;
using tarnwick::MajordomoConfig;
using tarnwick::fuzz::Require;

// Another value of the key, one its line is rewritten for. A yes/no that is neither is left:
// it can't be written, only kept.
void Perturb(ConfigKind kind, ConfigValue& value) {
  switch (kind) {
    case ConfigKind::Text:
      value.text += "x";
      break;
    case ConfigKind::YesNo:
      if (value.yesNo >= 0) value.yesNo = 1 - value.yesNo;
      break;
    case ConfigKind::Number:
      value.number ^= 1;
      break;
    case ConfigKind::OptionalNumber:
      value.number = value.useDefault ? 1 : value.number ^ 1;
      value.useDefault = false;
      break;
    case ConfigKind::Block:
      value.text += "x\r\n";
      break;
  }
}

// A block of the keys whose lines carry "-" escapes: an element that starts with ">>>>" is
// written behind "- ", so that it can't be taken for a marker of the server's reply, and reads
// back with that blank before it. Every other element reads back as it was.
std::string WrittenBlock(std::string_view key, const std::string& text) {
  constexpr std::string_view kEscaped[] = {"comments", "message_footer", "message_fronter",
                                           "message_headers"};
  if (std::find(std::begin(kEscaped), std::end(kEscaped), key) == std::end(kEscaped)) return text;
  std::string written;
  for (const std::string& element : tarnwick::BlockElements(text))
    written.append(element.starts_with(">>>>") ? " " : "").append(element).append("\r\n");
  return written;
}

bool SameAsRead(const tarnwick::ConfigKey& key, const ConfigValue& again,
                const ConfigValue& first) {
  if (again.present != first.present) return false;
  switch (key.kind) {
    case ConfigKind::Text:
      return again.text == first.text;
    case ConfigKind::Block:
      return again.text == WrittenBlock(key.name, first.text);
    case ConfigKind::YesNo:
      return again.yesNo == first.yesNo;
    case ConfigKind::Number:
      return again.number == first.number;
    case ConfigKind::OptionalNumber:
      return again.useDefault == first.useDefault && again.number == first.number;
  }
  return false;
}

MajordomoConfig Loaded(const std::filesystem::path& file) {
  MajordomoConfig config;
  Require(config.Load(file), "the file reads");
  return config;
}

void Save(const MajordomoConfig& config) {
  int error = 0;
  Require(config.Save(error) == tarnwick::ConfigSave::Saved, "the file is saved");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = tarnwick::fuzz::WriteFile(tarnwick::fuzz::Scratch() / "config",
                                                               tarnwick::fuzz::AsText(data, size));
  const MajordomoConfig first = Loaded(file);

  MajordomoConfig other = Loaded(file);
  for (std::size_t i = 0; i < tarnwick::kConfigKeyCount; ++i)
    Perturb(tarnwick::kConfigKeys[i].kind, other.value(i));
  Save(other);

  MajordomoConfig back = Loaded(file);
  for (std::size_t i = 0; i < tarnwick::kConfigKeyCount; ++i)
    back.value(i) = first.value(i);
  Save(back);

  const MajordomoConfig again = Loaded(file);
  for (std::size_t i = 0; i < tarnwick::kConfigKeyCount; ++i) {
    if (!SameAsRead(tarnwick::kConfigKeys[i], again.value(i), first.value(i))) {
      std::fprintf(stderr, "key %s\n", tarnwick::kConfigKeys[i].name.data());
      Require(false, "the configuration reads back as it was read");
    }
  }
  return 0;
}
