#include "core/platform/secret_store.h"

#include <libsecret/secret.h>
#include <sys/random.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace tarnwick::secrets {
namespace {

const SecretSchema* Schema() {
  static const SecretSchema schema = {
      "org.tarnwick.Password",
      SECRET_SCHEMA_NONE,
      {{"id", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
      0,
      nullptr,
      nullptr,
      nullptr,
      nullptr,
      nullptr,
      nullptr,
      nullptr};
  return &schema;
}

struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};

}  // namespace

bool Available() {
  static std::once_flag once;
  static bool available = false;
  std::call_once(once, [] {
    // Without a session bus, libsecret would try to start one: no service, and no waiting.
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || *bus == '\0') return;
    GError* error = nullptr;
    gchar* found = secret_password_lookup_sync(Schema(), nullptr, &error, "id", "", nullptr);
    std::unique_ptr<GError, ErrorFree> owned(error);
    if (found != nullptr) secret_password_free(found);
    available = error == nullptr;
  });
  return available;
}

std::string NewId() {
  std::uint64_t number = 0;
  if (getrandom(&number, sizeof number, 0) != static_cast<ssize_t>(sizeof number)) return {};
  char id[17];
  std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(number));
  return id;
}

bool Store(std::string_view id, std::string_view label, std::string_view password) {
  if (!Available() || id.empty()) return false;
  const std::string idText(id), labelText(label), passwordText(password);
  GError* error = nullptr;
  const gboolean stored = secret_password_store_sync(
      Schema(), SECRET_COLLECTION_DEFAULT, labelText.c_str(), passwordText.c_str(), nullptr, &error,
      "id", idText.c_str(), nullptr);
  std::unique_ptr<GError, ErrorFree> owned(error);
  return stored && error == nullptr;
}

std::optional<std::string> Lookup(std::string_view id) {
  if (!Available() || id.empty()) return std::nullopt;
  const std::string idText(id);
  GError* error = nullptr;
  gchar* found =
      secret_password_lookup_sync(Schema(), nullptr, &error, "id", idText.c_str(), nullptr);
  std::unique_ptr<GError, ErrorFree> owned(error);
  if (found == nullptr) return std::nullopt;
  std::string password(found);
  secret_password_free(found);
  return password;
}

}  // namespace tarnwick::secrets
