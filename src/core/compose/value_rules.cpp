#include "core/compose/value_rules.h"

#include <algorithm>
#include <array>

#include "core/compose/command_words.h"
#include "core/compose/fml_line.h"
#include "core/compose/queue_folder.h"
#include "core/platform/ascii.h"
#include "core/platform/mail_address.h"
#include "core/platform/text_codec.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

// The longest forward-path SMTP carries (RFC 5321 4.5.3.1.3, less its brackets).
constexpr std::size_t kMaxAddressBytes = 254;

std::string Quoted(std::string_view cp932) {
  return "「" + Cp932ToUtf8(cp932) + "」";
}

bool HasBlank(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsAsciiBlank);
}

std::string SyntaxMessage(const AddressSyntax& syntax) {
  switch (syntax.fault) {
    case AddressFault::None:
      break;
    case AddressFault::Blank:
      return "空白を含んでいます";
    case AddressFault::NotGraphic:
      return "半角の英数字と記号以外の文字を含んでいます";
    case AddressFault::NoAtSign:
      return "「@」がありません";
    case AddressFault::SecondAtSign:
      return "「@」が2つ以上あります";
    case AddressFault::EmptyLocalPart:
      return "「@」の前が空です";
    case AddressFault::Punctuation:
      return "「" + std::string(1, syntax.punctuation) + "」はｱﾄﾞﾚｽに使えません";
    case AddressFault::BadDomain:
      return "「@」の後のﾄﾞﾒｲﾝ名が正しくありません";
  }
  return {};
}

// The syntax faults, with the servers' own limits between them: the length of an SMTP path once
// the address is printable ASCII, the leading "-" once it has its "@".
std::optional<std::string> AddressProblem(std::string_view address) {
  const AddressSyntax syntax = CheckAddressSyntax(address, DomainRule::HostName);
  const auto foundBy = [&](AddressFault last) {
    return syntax.fault != AddressFault::None && syntax.fault <= last;
  };
  if (foundBy(AddressFault::NotGraphic)) return SyntaxMessage(syntax);
  if (address.size() > kMaxAddressBytes) return "長すぎます (254文字まで)";
  if (foundBy(AddressFault::EmptyLocalPart)) return SyntaxMessage(syntax);
  if (address.front() == '-') return "「-」で始まるｱﾄﾞﾚｽはﾘｽﾄｻｰﾊﾞｰが受け付けません";
  if (foundBy(AddressFault::BadDomain)) return SyntaxMessage(syntax);
  return std::nullopt;
}

std::string FmlUnsafeMessage(const std::string& what, const FmlLineProblem& problem) {
  if (problem.kind == FmlLineProblem::TooLong) {
    return what + "が長すぎます\nFMLは" + std::to_string(kFmlMaxLineBytes) +
           "ﾊﾞｲﾄを超えるｺﾏﾝﾄﾞ行を読み飛ばします";
  }
  if (problem.kind == FmlLineProblem::NoCommand) return what + "にFMLのｺﾏﾝﾄﾞがありません";
  return what + "の" + Quoted(problem.character) +
         "はFMLのｺﾏﾝﾄﾞに使えない文字です\n"
         "FMLはそのｺﾏﾝﾄﾞを実行せず、ﾊﾟｽﾜｰﾄﾞを含むﾒｰﾙ全体を警告としてﾘｽﾄの管理者に送ります";
}

// The password in a line of the server's own form, checked as that line.
Refusal CheckPassword(const std::string& what, ServerKind serverKind, std::string_view password) {
  if (password.empty()) return what + "が空です";
  if (HasBlank(password)) {
    return what + "に空白は使えません\nﾘｽﾄｻｰﾊﾞｰは空白の前までをﾊﾟｽﾜｰﾄﾞとして読みます";
  }
  if (serverKind == ServerKind::Fml) {
    const std::string line = "# admin pass " + std::string(password);
    if (const std::optional<FmlLineProblem> problem = CheckFmlLine(line))
      return FmlUnsafeMessage(what, *problem);
  }
  if (serverKind == ServerKind::Majordomo && password.ends_with('\\')) {
    return what +
           "の最後に「\\」は使えません\nMajordomoは「\\」と続く空白を一つの空白として読みます";
  }
  return std::nullopt;
}

// Majordomo joins a line ending in "\\" to the next one and reads "\\ " as a blank inside a word.
bool EscapesMajordomoReads(std::string_view line) {
  for (std::size_t at = line.find('\\'); at != std::string_view::npos;
       at = line.find('\\', at + 1)) {
    if (at + 1 == line.size() || IsAsciiBlank(line[at + 1])) return true;
  }
  return false;
}

// A command line shows its passwords as "********" in a message, as the servers' own replies
// show them; what follows an approval's password is left out.
std::string Shown(ServerKind server, std::string_view line) {
  const std::vector<LineWord> words = WordsOf(line);
  const std::vector<std::size_t> passwords = PasswordWords(server, line, words);
  if (passwords.empty()) return Quoted(line);
  const std::size_t last = passwords.back();
  const bool approval = line.substr(words[0].begin, words[0].end - words[0].begin) == "approve";
  std::string_view shown = line;
  if (approval && last + 1 < words.size()) shown = line.substr(0, words[last].end);
  return Quoted(MaskedLine(server, shown, "********") + (shown.size() < line.size() ? " ..." : ""));
}

// The address's syntax is checked as `checked`, and the message names `address`.
Refusal CheckMemberAddressAs(std::string_view address, std::string_view checked,
                             std::string_view label = "ｱﾄﾞﾚｽ") {
  if (address.empty()) return std::string(label) + "が空です";
  if (std::optional<std::string> fault = AddressProblem(checked))
    return std::string(label) + Quoted(address) + "は使えません\n" + *fault;
  return std::nullopt;
}

// fml takes a "/" in the part before the "@" (its own line check says which ones): the rest of
// the syntax is every list's.
std::string WithoutLocalSlashes(std::string_view address) {
  std::string text(address);
  const std::size_t at = text.find('@');
  std::replace(text.begin(), at == std::string::npos ? text.end() : text.begin() + at, '/', '_');
  return text;
}

}  // namespace

Refusal CheckMemberAddress(std::string_view address) {
  return CheckMemberAddressAs(address, address);
}

Refusal CheckListName(std::string_view name) {
  const bool control = std::any_of(name.begin(), name.end(), IsAsciiControl);
  if (!IsPlainFolderName(name) || control || HasBlank(name)) {
    return "ﾘｽﾄ名" + Quoted(name) +
           "はﾒｰﾙを保存するﾌｫﾙﾀﾞ名に使えません\n"
           "ﾘｽﾄ名を空にしたり、「/」や空白を含めたり、「.」「..」にしたりはできません";
  }
  return std::nullopt;
}

Refusal CheckAddressFor(ServerKind serverKind, std::string_view address) {
  if (serverKind != ServerKind::Fml) return CheckMemberAddress(address);
  if (Refusal refusal = CheckMemberAddressAs(address, WithoutLocalSlashes(address))) return refusal;
  return CheckFmlValue("ｱﾄﾞﾚｽ", address);
}

std::optional<ListDetailsProblem> CheckListDetails(const MailingList& list) {
  using enum ListDetailsProblem::Field;
  if (list.Title.empty()) return ListDetailsProblem{Title, "ﾀｲﾄﾙを入力してください"};
  if (list.Name.empty()) return ListDetailsProblem{Name, "ﾘｽﾄ名を入力してください"};
  if (Refusal refusal = CheckListName(list.Name)) return ListDetailsProblem{Name, *refusal};
  if (list.Type != ServerKind::Majordomo && list.Type != ServerKind::Fml) {
    return ListDetailsProblem{Kind, "ＭＬｻｰﾊﾞｰの種別を選んでください"};
  }
  if (list.Address.empty()) return ListDetailsProblem{Address, "ｻｰﾊﾞｰｱﾄﾞﾚｽを入力してください"};
  if (Refusal refusal = CheckAdminAddress(list)) return ListDetailsProblem{Admin, *refusal};
  return std::nullopt;
}

Refusal CheckAdminAddress(const MailingList& list) {
  // Every command mail goes out From it: a server answers a plain mailbox only.
  if (list.Admin.empty()) return std::nullopt;
  return CheckMemberAddressAs(list.Admin, list.Admin, "管理者ｱﾄﾞﾚｽ");
}

Refusal CheckListPassword(const MailingList& list) {
  // A password kept in the secret service that could not be read back is no empty password.
  if (list.PasswordUnavailable || list.PasswordPending) {
    return "ML" + Quoted(list.Title) +
           "のﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞ(Secret "
           "Service)から読めません。ｷｰﾘﾝｸﾞを開くか、ﾊﾟｽﾜｰﾄﾞを入れ直してください";
  }
  // A list without a password composes mails without one, and the server answers them.
  if (list.Password.empty()) return std::nullopt;
  if (Refusal refusal =
          CheckPassword("ML" + Quoted(list.Title) + "のﾊﾟｽﾜｰﾄﾞ", list.Type, list.Password)) {
    return *refusal + "\nﾊﾟｽﾜｰﾄﾞを直すまで、このMLのｺﾏﾝﾄﾞﾒｰﾙは作成できません";
  }
  return std::nullopt;
}

Refusal CheckNewPassword(ServerKind serverKind, std::string_view password) {
  return CheckPassword("新しいﾊﾟｽﾜｰﾄﾞ", serverKind, password);
}

Refusal CheckFmlValue(std::string_view label, std::string_view value) {
  const std::string line = "# admin get " + std::string(value);
  if (const std::optional<FmlLineProblem> problem = CheckFmlLine(line))
    return FmlUnsafeMessage(std::string(label) + Quoted(value), *problem);
  return std::nullopt;
}

Refusal CheckFmlWord(std::string_view label, std::string_view value) {
  if (HasBlank(value)) {
    return std::string(label) + Quoted(value) +
           "に空白は使えません\nFMLは空白で区切られた語を別々の値として読みます";
  }
  return CheckFmlValue(label, value);
}

Refusal CheckMatomeMode(std::string_view mode) {
  // The formats fml 4.0 knows for a digest, after the number of hours.
  static constexpr std::array<std::string_view, 22> kFormats{
      "",    "gz", "tgz",   "mp", "u",      "uf", "unpack", "li",   "i", "ish",     "lhaish",
      "zip", "lu", "lhauu", "b",  "rfc934", "uu", "ui",     "uish", "d", "rfc1153", "base64"};
  const std::size_t digits = mode.find_first_not_of("0123456789");
  const std::string_view format = digits == std::string_view::npos ? "" : mode.substr(digits);
  if (digits != 0 && !mode.empty() &&
      std::find(kFormats.begin(), kFormats.end(), format) != kFormats.end()) {
    return std::nullopt;
  }
  return "まとめ送りのﾓｰﾄﾞ" + Quoted(mode) +
         "はFMLが受け付けません\n時間数の数字か、その後に形式を付けた値 (例: 3、3u、12mp) "
         "を入力してください";
}

Refusal CheckCommandLines(ServerKind serverKind, std::string_view lines) {
  Refusal refusal;
  ForEachLine(lines, [&](std::string_view line) {
    if (serverKind == ServerKind::Fml) {
      if (const std::optional<FmlLineProblem> problem = CheckFmlLine(line))
        refusal = FmlUnsafeMessage("ｺﾏﾝﾄﾞ行" + Shown(serverKind, line), *problem);
    } else if (serverKind == ServerKind::Majordomo && EscapesMajordomoReads(line)) {
      refusal = "ｺﾏﾝﾄﾞ行" + Shown(serverKind, line) +
                "の「\\」はMajordomoが行の続きや空白の印として読むため使えません";
    }
    return !refusal;
  });
  return refusal;
}

}  // namespace tarnwick
