#include "core/migrate/windows_import.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/compose/value_rules.h"
#include "core/migrate/reg_file.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {
namespace {

// The paths a list remembers, by value name.
const std::map<std::string, std::string MailingList::*, std::less<>> kListPaths = {
    {"GuideFile", &MailingList::GuideFile},
    {"InfoFile", &MailingList::InfoFile},
    {"IntroFile", &MailingList::IntroFile},
    {"ConfigFile", &MailingList::ConfigFile},
};
const std::map<std::string, std::string MailingList::*, std::less<>> kListTexts = {
    {"Address", &MailingList::Address},
    {"Name", &MailingList::Name},
    {"Admin", &MailingList::Admin},
    {"Password", &MailingList::Password},
};

// "C:\...", "\\server\share\...": a path that names nothing on this machine.
bool IsWindowsPath(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\") ||
         path.find('\\') != std::string_view::npos;
}

// Where the program's key is: the path whose "Common" or "MLPropertys\ML…" keys the file holds.
std::string FindRoot(const RegFile& file) {
  for (const RegKey& key : file.keys) {
    const std::string path = LowerAscii(key.path);
    for (std::string_view below : {"\\common", "\\mlpropertys"}) {
      if (path.ends_with(below)) return path.substr(0, path.size() - below.size());
    }
  }
  return {};
}

struct Taken {
  CommonSettings common;
  std::vector<std::unique_ptr<MailingList>> lists;
};

class Importer {
 public:
  Importer(const SettingsStore& store, ImportReport& report)
      : report_(report), taken_{CommonSettings::Load(store), {}} {}

  bool Take(const RegFile& file) {
    const std::string root = FindRoot(file);
    if (root.empty()) return Fail("設定のｷｰ(Common、MLPropertys)が見つかりません");
    for (const RegKey& key : file.keys) {
      const std::string path = LowerAscii(key.path);
      if (path == root + "\\common" && !TakeCommon(key)) return false;
      if (path.starts_with(root + "\\mlpropertys\\") &&
          path.find('\\', root.size() + 13) == std::string::npos && !TakeList(key)) {
        return false;
      }
    }
    return true;
  }

  Taken& taken() { return taken_; }

 private:
  bool Fail(std::string reason) {
    report_.failure = std::move(reason);
    return false;
  }

  std::optional<std::string> Cp932(const std::string& utf8, const std::string& what) {
    Cp932Encoding encoded = Utf8ToCp932(utf8);
    if (!encoded.ok) {
      Fail(what + "の「" + encoded.offending + "」はShift_JISで保存できません");
      return std::nullopt;
    }
    return std::move(encoded.text);
  }

  bool TakeCommon(const RegKey& key) {
    for (const RegValue& value : key.values) {
      const CommonSetting* setting = FindCommonSetting(value.name);
      if (setting == nullptr) continue;  // a value this program does not keep
      if (const auto* number = std::get_if<NumberSetting>(setting)) {
        if (!value.number || CheckNumberSetting(*number, value.number)) {
          return Fail(std::string(number->name) + "の値を読めません");
        }
        taken_.common.Set(*number, *value.number);
        continue;
      }
      const auto& text = std::get<TextSetting>(*setting);
      if (!value.text) return Fail(std::string(text.name) + "の値を読めません");
      if ((text.name == kMailBox.name || text.name == kMailerPath.name) &&
          IsWindowsPath(*value.text)) {
        report_.needsValue.push_back(std::string(text.name) + " (" + *value.text + ")");
        continue;
      }
      const std::optional<std::string> cp932 = Cp932(*value.text, std::string(text.name));
      if (!cp932) return false;
      taken_.common.Set(text, *cp932);
    }
    return true;
  }

  bool TakeList(const RegKey& key) {
    auto list = std::make_unique<MailingList>();
    for (const RegValue& value : key.values) {
      if (value.name.empty() || EqualsCp932IgnoreCase(value.name, "Type")) {
        if (value.name.empty() && value.text) {
          std::optional<std::string> title = Cp932(*value.text, "MLの名前");
          if (!title) return false;
          list->Title = std::move(*title);
        } else if (!value.name.empty() && value.number) {
          list->Type = static_cast<ServerKind>(*value.number);
        }
        continue;
      }
      const auto text = kListTexts.find(value.name);
      const auto path = kListPaths.find(value.name);
      if ((text == kListTexts.end() && path == kListPaths.end()) || !value.text) continue;
      if (path != kListPaths.end() && IsWindowsPath(*value.text)) {
        pathsLeft_.push_back(value.name + " (" + *value.text + ")");
        continue;
      }
      std::optional<std::string> cp932 = Cp932(*value.text, value.name);
      if (!cp932) return false;
      (*list).*(text != kListTexts.end() ? text->second : path->second) = std::move(*cp932);
    }
    if (list->Title.empty()) return Fail(key.path + " にMLの名前がありません");
    const std::string title = Cp932ToUtf8(list->Title);
    const std::vector<std::string> left = std::exchange(pathsLeft_, {});
    // A list whose mails could not go out is left out, named; the others still come in.
    if (const Refusal refusal = CheckAdminAddress(*list)) {
      report_.refused.push_back(title + " (" + key.path + "): " + *refusal);
      return true;
    }
    for (const std::string& path : left)
      report_.needsValue.push_back(title + ": " + path);
    if (const Refusal warning = CheckListPassword(*list)) {
      report_.warnings.push_back(title + ": " + *warning);
    }
    taken_.lists.push_back(std::move(list));
    return true;
  }

  ImportReport& report_;
  Taken taken_;
  std::vector<std::string> pathsLeft_;
};

}  // namespace

ImportReport ImportRegFile(const SettingsStore& store, std::string_view bytes, bool replace) {
  ImportReport report;
  const RegFile file = ParseRegFile(bytes);
  if (file.badLine != 0) {
    report.failure = std::to_string(file.badLine) + "行目: " + file.reason;
    return report;
  }
  Importer importer(store, report);
  if (!importer.Take(file)) return report;
  MailingListRegister lists = LoadRegister(store);
  if (lists.unreadable() != 0) {
    report.failure = UnreadableListsMessage(lists);
    return report;
  }
  for (std::unique_ptr<MailingList>& list : importer.taken().lists) {
    const std::string title = Cp932ToUtf8(list->Title);
    if (MailingList* existing = lists.FindByTitle(list->Title)) {
      if (!replace) {
        report.kept.push_back(title);
        continue;
      }
      *existing = *list;
    } else {
      lists.Insert(std::move(list));
    }
    report.imported.push_back(title);
  }
  const SettingsKey root = store.OpenRoot();
  SettingsTransaction transaction(root);
  if (!transaction.active() || !importer.taken().common.Save(root) || !SaveRegister(root, lists) ||
      !transaction.Commit()) {
    report = {};
    report.failure = "設定を保存できませんでした。何も取り込んでいません";
  }
  return report;
}

std::string ImportSummary(const ImportReport& report) {
  if (!report.failure.empty()) return "取り込めませんでした: " + report.failure;
  std::string text = "MLを" + std::to_string(report.imported.size()) + "件取り込みました";
  const auto section = [&text](const char* heading, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    text += std::string("\n\n") + heading;
    for (const std::string& line : lines)
      text += "\n・" + line;
  };
  section("登録済みのため取り込まなかったML:", report.kept);
  section("値が使えないため取り込まなかったML:", report.refused);
  section("Windowsのﾊﾟｽのため設定し直しが必要な値:", report.needsValue);
  section("注意:", report.warnings);
  return text;
}

}  // namespace tarnwick
