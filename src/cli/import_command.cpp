#include <array>
#include <cstring>

#include "cli/cli_commands.h"
#include "core/migrate/reg_file.h"
#include "core/migrate/windows_import.h"
#include "core/platform/file_bytes.h"

namespace tarnwick::cli {

Outcome ImportReg(const Args& args, const SettingsStore& store, std::ostream& out,
                  std::ostream& err) {
  constexpr std::array<OptionRule, 1> kOptions{{{"replace", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().size() != 1) {
    return Failure{"import-reg takes one .reg file", kBadArguments};
  }
  const std::string& name = options->positional()[0];
  const FileBytes file = ReadRegularFile(name, kMaxRegFileBytes);
  if (file.status == FileBytes::TooLarge) return Failure{name + ": too large", kFailed};
  if (file.status != FileBytes::Read) {
    return Failure{name + ": " + (file.error != 0 ? std::strerror(file.error) : "not a file"),
                   kFailed};
  }
  const ImportReport report = ImportRegFile(store, file.bytes, options->Has("replace"));
  if (!report.failure.empty()) return Failure{name + ": " + report.failure, kFailed};
  for (const std::string& title : report.imported)
    out << "imported\t" << title << '\n';
  for (const std::string& title : report.kept)
    out << "kept (a list of this title is registered; --replace replaces it)\t" << title << '\n';
  for (const std::string& path : report.needsValue)
    out << "needs a new value\t" << path << '\n';
  for (const std::string& warning : report.warnings)
    err << "tarnwick-cli: " << warning << '\n';
  std::string refused;
  for (const std::string& line : report.refused)
    refused += (refused.empty() ? "not imported: " : "\nnot imported: ") + line;
  if (!refused.empty()) return Failure{refused, kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
