// A whole delivery run, as the delivery thread (or tarnwick-cli send) carries it out: the
// settings, the SMTP exchange, the end notification, then the removal of delivered files.
#pragma once

#include <string>
#include <vector>

#include "delivery/smtp_delivery.h"
#include "store/common_settings.h"

namespace tarnwick {

class DeliveryListener {
 public:
  virtual ~DeliveryListener() = default;
  // A mail was delivered; the run waits until this returns.
  virtual void Delivered(QueuedMail& mail) = 0;
  // The run is over; called exactly once, before any delivered file is removed.
  virtual void Ended() = 0;
};

// Runs the delivery of these mails with the stored settings (SMTP, or a hand-off to the outside
// mailer of `kind`) and returns what failed.
// A stop ends it before the next mail (see StopSignal); the rest stay queued.
DeliveryReport RunDelivery(const SettingsStore& store, MailerKind kind,
                           std::vector<QueuedMail>& mails, const Connector& connect,
                           DeliveryListener& listener, StopSignal* stop = nullptr);

// Deletes the files of the delivered mails. One that can't be deleted stays queued, and its
// failure goes into the report: it was sent, and must not look new.
void RemoveDelivered(const std::vector<QueuedMail>& mails, DeliveryReport& report);

// The report for the user: one line per mail that failed (its title, file name and failure),
// or the run's own failure. Empty when everything went out.
std::string FormatReport(const DeliveryReport& report, const std::vector<QueuedMail>& mails);

}  // namespace tarnwick
