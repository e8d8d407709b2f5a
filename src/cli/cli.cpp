#include "cli/cli.h"

#include "cli/cli_commands.h"

namespace tarnwick::cli {
namespace {

constexpr char kUsage[] =
    "usage:\n"
    "  tarnwick-cli list-add --title T --type majordomo|fml --name N --address A --admin M"
    " [--password P]\n"
    "  tarnwick-cli lists\n"
    "  tarnwick-cli settings [NAME VALUE]\n"
    "  tarnwick-cli compose TITLE COMMAND [inputs] [--stdout]\n"
    "      COMMAND: newpassword initpassword members subscribe unsubscribe off on chaddr matome\n"
    "               skip addadmin byeadmin filelist fileget fileput remove rename newinfo\n"
    "               newguide newintro unlink config help log pgp debug\n"
    "      inputs:  --address A (repeatable)  --old A --new B  --keyword chaddr|change|"
    "change-address\n"
    "               --mode M  --password P  --file F  --local-file F  --option O  --article A\n"
    "               --count N  --all  --send  --get-keys\n"
    "  tarnwick-cli extract [--sender] FILE\n"
    "  tarnwick-cli queue TITLE\n"
    "  tarnwick-cli send\n"
    "  tarnwick-cli config show FILE\n"
    "  tarnwick-cli config set FILE KEY VALUE [KEY VALUE]...\n";

Outcome Dispatch(const Args& args, const SettingsStore& store, std::ostream& out,
                 std::ostream& err) {
  if (args.empty()) return Failure{"no command given", kBadArguments};
  const std::string& command = args[0];
  const Args rest(args.begin() + 1, args.end());
  if (command == "extract") return Extract(rest, out);  // these two need no store
  if (command == "config") return Config(rest, out);
  if (!store.OpenRoot().HasHandle()) {
    return Failure{"cannot open the settings store " + store.file().string(), kFailed};
  }
  if (command == "list-add") return ListAdd(rest, store, err);
  if (command == "lists") return Lists(rest, store, out);
  if (command == "settings") return Settings(rest, store, out);
  if (command == "compose") return Compose(rest, store, out);
  if (command == "queue") return Queue(rest, store, out);
  if (command == "send") return Send(rest, store, out);
  return Failure{"unknown command: " + command, kBadArguments};
}

}  // namespace

int Run(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  const Outcome failure = Dispatch(args, store, out, err);
  if (!failure) return 0;
  err << "tarnwick-cli: " << failure->message << '\n';
  if (failure->status == kBadArguments) err << kUsage;
  return failure->status;
}

}  // namespace tarnwick::cli
