#include "core/delivery/delivery_run.h"

#include <algorithm>

#include "core/compose/command_names.h"
#include "core/compose/queue_reader.h"
#include "core/delivery/delivered_files.h"
#include "core/delivery/hand_off.h"
#include "core/delivery/ras_dialer.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

SmtpSettings ReadSmtpSettings(const CommonSettings& common) {
  SmtpSettings settings;
  settings.server = common.Text(kSmtpServer);
  settings.port = common.Number(kSmtpPort);
  settings.heloName = LocalHostName();
  settings.security = static_cast<SmtpSecurity>(std::min<std::uint32_t>(
      common.Number(kSmtpSecurity), static_cast<std::uint32_t>(SmtpSecurity::Tls)));
  settings.authenticate = common.Number(kSmtpAuth) != 0;
  settings.user = common.Text(kSmtpUser);
  settings.password = common.Text(kSmtpPassword);
  settings.extended = common.Number(kSmtpExtended) != 0;
  return settings;
}

}  // namespace

DeliveryReport RunDelivery(const SettingsStore& store, MailerKind kind,
                           std::vector<QueuedMail>& mails, const Connector& connect,
                           DeliveryListener& listener, StopSignal* stop) {
  DeliveryReport report;
  report.mailFailures.assign(mails.size(), std::string());
  const CommonSettings common = CommonSettings::Load(store);
  DeliveredFiles delivered(common.Number(kSentDays));
  if (kind != MailerKind::DirectSmtp) {
    // A hand-off never dials: the dial-up settings are for the SMTP delivery.
    HandOff(
        mails, kind, common.Text(kMailerPath), [&](QueuedMail& mail) { listener.Delivered(mail); },
        report.mailFailures, {}, stop);
    if (stop != nullptr && stop->requested()) report.runFailure = kStoppedText;
    // Only now: a mailer may open its file again while it starts.
    for (std::size_t i = 0; i < mails.size(); ++i) {
      if (mails[i].delivered && !mails[i].keep) delivered.Take(i, mails[i].path);
    }
  } else if (const Refusal missing = CheckSmtpSettings(common)) {
    report.runFailure = *missing;
  } else {
    CRasDialer dialer;
    const std::string entry = Cp932ToUtf8(common.Text(kRasName));
    if (common.Number(kDialUp) != 0 && !DialBeforeDelivery(dialer, entry)) {
      report.runFailure = "ダイアルアップ接続(" + entry + ")に失敗しました";
    } else {
      // Each delivered mail leaves the queue as soon as the server has taken it.
      const DeliveredHandler taken = [&](QueuedMail& mail) {
        delivered.Take(static_cast<std::size_t>(&mail - mails.data()), mail.path);
        listener.Delivered(mail);
      };
      SmtpDelivery(mails, ReadSmtpSettings(common), connect, taken, report, stop);
    }
    // A connection this run brought up goes down, fully, before the end is told.
    HangUpAndWait(dialer);
  }
  listener.Ended();
  delivered.Finish(report);
  return report;
}

std::string FormatReport(const DeliveryReport& report, const std::vector<QueuedMail>& mails) {
  std::string text;
  if (!report.runFailure.empty()) text = report.runFailure + "\n";
  for (std::size_t i = 0; i < mails.size() && i < report.mailFailures.size(); ++i) {
    if (report.mailFailures[i].empty()) continue;
    const std::string title = CommandTitleText(TitleOf(mails[i]));
    text += "・" + title + " (" + mails[i].path.filename().string() + ")\n" +
            report.mailFailures[i] + "\n";
  }
  return text;
}

}  // namespace tarnwick
