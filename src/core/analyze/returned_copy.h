// The recipient that the copy of a returned message names, for notices that say a delivery
// failed without naming the recipient in their own words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// From the header at the start of a copy of a returned message (a message/rfc822 part's header,
// or a notice's lines from "Unsent message follows" on, indented or not): the envelope recipient
// the newest receiving mail system recorded (Delivered-To, X-Original-To, Envelope-To, the "for"
// of the newest Received line), else the one address of its To and Cc when they name only one. The
// addresses in `own` (the notice's sender and addressee) and the copy's sender are never given;
// empty when the copy names no other.
std::string CopiedRecipient(std::string_view copy, const std::vector<std::string>& own);

}  // namespace tarnwick
