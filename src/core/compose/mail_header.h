// The header lines every command mail starts with.
#pragma once

#include <ctime>
#include <string>

#include "core/store/mailing_list.h"

namespace tarnwick {

inline constexpr char kCrLf[] = "\r\n";

// "Tue, 07 Mar 2000 21:05:09 JST": English day and month names whatever the locale, and the
// local time zone's name as the C library reports it.
std::string FormatMailDate(const std::tm& local);

// Replaces the text by "From: " Admin, "To: " Address and "Date: " now, each line ending in CR LF.
void FormatMailHeader(const MailingList& list, std::string& text);
void FormatMailHeader(const MailingList& list, std::string& text, std::time_t now);

}  // namespace tarnwick
