// Delivery-status reports (RFC 3464): a block of fields about the message, then one block per
// recipient saying what became of the delivery to it.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tarnwick {

class Recipients;

// Adds each recipient whose block says the delivery failed for good. Works on a report part and
// on a report pasted into a text, since it reads blocks of "Name: value" lines wherever they are.
void ReadDeliveryStatus(std::string_view report, Recipients& failed);

// The Status of each recipient whose block says the delivery failed, by its address in lower
// case ("5.1.1", "4.2.2").
std::map<std::string, std::string> FailureStatuses(std::string_view report);

// Whether the report speaks of recipients, and says of none that the delivery failed: a delay
// warning or a success notice.
bool ReportsNoFailure(std::string_view report);

}  // namespace tarnwick
