// A whole delivery run, as the delivery thread (or tarnwick-cli send) carries it out: the
// settings, the SMTP exchange with each delivered mail taken out of the queue, the end
// notification.
#pragma once

#include <string>
#include <vector>

#include "core/delivery/smtp_delivery.h"
#include "core/store/common_settings.h"

namespace tarnwick {

class DeliveryListener {
 public:
  virtual ~DeliveryListener() = default;
  // A mail was delivered; the run waits until this returns.
  virtual void Delivered(QueuedMail& mail) = 0;
  // The run is over; called exactly once, while the last delivered files may still be on their
  // way out of the queue.
  virtual void Ended() = 0;
};

// Runs the delivery of these mails with the stored settings (SMTP, or a hand-off to the outside
// mailer of `kind`) and returns what failed. When it returns, every delivered mail has left the
// queue (into the sent mails, or removed), or the report says why it could not.
// A stop ends it before the next mail (see StopSignal); the rest stay queued.
DeliveryReport RunDelivery(const SettingsStore& store, MailerKind kind,
                           std::vector<QueuedMail>& mails, const Connector& connect,
                           DeliveryListener& listener, StopSignal* stop = nullptr);

// The report for the user: one line per mail that failed (its title, file name and failure),
// or the run's own failure. Empty when everything went out.
std::string FormatReport(const DeliveryReport& report, const std::vector<QueuedMail>& mails);

}  // namespace tarnwick
