#include "core/members/roster_sync.h"

#include "core/members/member_removal.h"
#include "core/platform/local_time.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

std::string HowToGetRoster(const MailingList& list) {
  return "新しい名簿は、ﾒﾝﾊﾞｰ一覧のﾒｰﾙ (tarnwick-cli compose \"" + Cp932ToUtf8(list.Title) +
         "\" members) を送信して返事を受信すると届きます";
}

Refusal FileRefusal(const AddressText& wanted) {
  if (wanted.refusal) return wanted.refusal;
  if (wanted.refusedCount != 0) {
    std::string reason =
        "ﾌｧｲﾙに使えない行が" + std::to_string(wanted.refusedCount) + "行あります。何も作成しません";
    for (const RefusedAddress& refused : wanted.refused)
      reason += "\n" + DescribeRefused(refused);
    if (wanted.refusedCount > wanted.refused.size()) reason += "\n...";
    return reason;
  }
  if (wanted.addresses.empty()) return "ﾌｧｲﾙにｱﾄﾞﾚｽが一つもありません";
  return std::nullopt;
}

void AddCautions(const MailingList& list, const std::optional<Roster>& roster, std::time_t now,
                 SyncPlan& plan) {
  if (!roster) {
    plan.cautions.push_back("このﾘｽﾄの名簿がまだありません。ﾌｧｲﾙの全員を登録します\n" +
                            HowToGetRoster(list));
    return;
  }
  if (now - roster->date > kFreshRosterDays * 24 * 60 * 60) {
    plan.cautions.push_back(
        "名簿が" + std::to_string(kFreshRosterDays) + "日より古くなっています (" +
        FormatLocalTime(roster->date, "%Y-%m-%d %H:%M") + ")\n" + HowToGetRoster(list));
  }
  const std::size_t members = roster->members.size();
  if (!plan.remove.empty() && plan.remove.size() == members) {
    plan.cautions.push_back("ﾒﾝﾊﾞｰ全員 (" + std::to_string(members) + "人) が削除されます");
  } else if (plan.remove.size() * 10 > members) {
    plan.cautions.push_back("ﾒﾝﾊﾞｰの1割を超える" + std::to_string(plan.remove.size()) + "人 (" +
                            std::to_string(members) + "人中) が削除されます");
  }
}

}  // namespace

SyncPlan PlanSync(const MailingList& list, const std::optional<Roster>& roster,
                  const AddressText& wanted, std::time_t now) {
  SyncPlan plan;
  if ((plan.refusal = FileRefusal(wanted))) return plan;
  const RosterLookup onList(roster.value_or(Roster{}));
  for (const std::string& address : wanted.addresses) {
    if (!onList.Holds(address)) plan.add.push_back(address);
  }
  if (roster) {
    const RosterLookup inFile(Roster{wanted.addresses, 0});
    for (const std::string& member : roster->members) {
      if (inFile.Holds(member)) continue;
      if (IsKeptAdministrator(list, member)) {
        plan.adminKept = true;
      } else {
        plan.remove.push_back(member);
      }
    }
  }
  AddCautions(list, roster, now, plan);
  return plan;
}

}  // namespace tarnwick
