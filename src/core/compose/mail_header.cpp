#include "core/compose/mail_header.h"

#include <cstdio>

namespace tarnwick {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string FormatMailDate(const std::tm& local) {
  // strftime's %a and %b follow the locale, and the desktop sets a Japanese one.
  const char* day = local.tm_wday >= 0 && local.tm_wday < 7 ? kDays[local.tm_wday] : "Sun";
  const char* month = local.tm_mon >= 0 && local.tm_mon < 12 ? kMonths[local.tm_mon] : "Jan";
  char zone[64] = "";
  std::strftime(zone, sizeof zone, "%Z", &local);
  char date[128];
  std::snprintf(date, sizeof date, "%s, %02d %s %04d %02d:%02d:%02d %s", day, local.tm_mday, month,
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, zone);
  return date;
}

void FormatMailHeader(const MailingList& list, std::string& text, std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  text = "From: " + list.Admin + kCrLf + "To: " + list.Address + kCrLf +
         "Date: " + FormatMailDate(local) + kCrLf;
}

void FormatMailHeader(const MailingList& list, std::string& text) {
  FormatMailHeader(list, text, std::time(nullptr));
}

}  // namespace tarnwick
