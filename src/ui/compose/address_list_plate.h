// The plates whose input is a list of member addresses (subscribe, unsubscribe, off, on, skip,
// addadmin, byeadmin): one plate with the sorted list and the buttons 追加, 削除 and ｱﾄﾞﾚｽ抽出.
#pragma once

#include "core/compose/address_list.h"
#include "ui/compose/plate.h"

class QListWidget;
class QPushButton;

namespace tarnwick {

class CAddressListPlate : public CPlate {
 public:
  explicit CAddressListPlate(CommandId command);

  const AddressList& addresses() const { return addresses_; }

  void AnalyzeFile(const QString& path) override;
  // Runs the extraction dialog on the mail file and adds the addresses the user keeps. A mailbox
  // of returned mails (an mbox of several mails, a Maildir folder) is reviewed whole instead.
  void ExtractAddresses(const QString& path);
  // The review of returned mails by the mailbox, reading the given ones at once; the addresses
  // the user ticks are added.
  void ReviewBounces(const QStringList& mailboxes);

 protected:
  std::optional<CommandInput> Input() override;
  void BuildPlate() override;

 private:
  void AddTypedAddress();
  void DeleteSelected();
  void ChooseMailToExtract();
  void Add(std::string address);

  AddressList addresses_;
  QListWidget* list_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
};

}  // namespace tarnwick
