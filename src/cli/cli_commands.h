// The commands of tarnwick-cli. Each returns nothing on success, or the failure to report.
#pragma once

#include <optional>
#include <ostream>

#include "cli/cli_args.h"
#include "core/moderation/held_answer.h"
#include "core/store/mailing_list_register.h"
#include "core/store/settings_store.h"

namespace tarnwick::cli {

using Outcome = std::optional<Failure>;

// Adds the list; a password its server can't take is stored as given, with a warning on `err`.
Outcome ListAdd(const Args& args, const SettingsStore& store, std::ostream& err);
Outcome Lists(const Args& args, const SettingsStore& store, std::ostream& out);
Outcome Settings(const Args& args, const SettingsStore& store, std::ostream& out);
Outcome Compose(const Args& args, const SettingsStore& store, std::ostream& out);
// Every --name that compose takes for any command, as the catalogue gives them.
const std::vector<OptionRule>& ComposeOptions();
Outcome Extract(const Args& args, std::ostream& out);
// The addresses whose mails came back from whole mailboxes (or IMAP folders), those to remove
// first; with --list, whether each is a member by the list's latest roster.
Outcome Bounces(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err);
Outcome Config(const Args& args, std::ostream& out);
Outcome Queue(const Args& args, const SettingsStore& store, std::ostream& out);
Outcome Send(const Args& args, const SettingsStore& store, std::ostream& out);
// Takes in the settings and lists of a regedit export from Windows.
Outcome ImportReg(const Args& args, const SettingsStore& store, std::ostream& out,
                  std::ostream& err);
// Reads the new mails of the administrator's mailbox and keeps the servers' replies.
Outcome Fetch(const Args& args, const SettingsStore& store, std::ostream& out);
// One line per sent mail: when, list, command, file name, state, the server's words.
Outcome Results(const Args& args, const SettingsStore& store, std::ostream& out);
// One line per held post or request (those waiting, or --all): number, list, kind, sender,
// subject, date, the server's reason, state.
Outcome Held(const Args& args, const SettingsStore& store, std::ostream& out);
// Answers held items named by their numbers: every one must wait (保留中), else nothing is
// queued. Prints each answered item's number and its queued files.
Outcome AnswerHeld(HeldAnswer answer, const Args& args, const SettingsStore& store,
                   std::ostream& out, std::ostream& err);
// The list's latest roster, one address a line (or CSV); its date on `err`.
Outcome Members(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err);
// The members any of the patterns matches on every list with a roster: TITLE, ADDRESS, date.
Outcome Find(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err);
// Queues an unsubscribe on each list whose roster holds any of the addresses.
Outcome Remove(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err);
// Queues the subscribe and unsubscribe that make the list's members those of a file.
Outcome Sync(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err);
// Queues the list's unsubscribe of the addresses; prints TITLE, FILE, ADDRESSES for each mail.
Outcome QueueRemoval(const SettingsStore& store, const MailingListRegister& lists,
                     const MailingList& list, const std::vector<std::string>& addresses,
                     std::ostream& out);
// What a list without a roster yet needs.
std::string NoRosterMessage(const MailingList& list);

// The registered list of that title, as the desktop's command line finds it; else the failure.
MailingList* FindList(MailingListRegister& lists, const std::string& utf8Title, Failure& failure);

}  // namespace tarnwick::cli
