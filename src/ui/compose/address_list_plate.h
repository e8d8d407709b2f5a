// The plates whose input is a list of member addresses (subscribe, unsubscribe, off, on, skip,
// addadmin, byeadmin): one plate with the sorted list and the buttons 追加, 削除, 全て削除, 読込
// and ｱﾄﾞﾚｽ抽出. Many addresses come in at once by a paste (Ctrl+V, or into 追加), a drop of text
// or text files on the list, or 読込 of a text or CSV file; each is added once.
#pragma once

#include "core/compose/address_list.h"
#include "core/compose/address_text.h"
#include "ui/compose/plate.h"

class QListWidget;
class QPushButton;

namespace tarnwick {

class CAddressListPlate : public CPlate {
 public:
  explicit CAddressListPlate(CommandId command);

  const AddressList& addresses() const { return addresses_; }
  // Shows these addresses in place of the list's (entered earlier, kept meanwhile).
  void RestoreAddresses(AddressList addresses);

  void AnalyzeFile(const QString& path) override;
  // Runs the extraction dialog on the mail file and adds the addresses the user keeps. A mailbox
  // of returned mails (an mbox of several mails, a Maildir folder) is reviewed whole instead.
  void ExtractAddresses(const QString& path);
  // The review of returned mails by the mailbox, reading the given ones at once; the addresses
  // the user ticks are added.
  void ReviewBounces(const QStringList& mailboxes);
  // A paste: the addresses of the text added, what it gave told.
  void PasteAddresses(const QString& text);
  // Reads a text or CSV file of addresses in the background; they are added when it is read.
  void ReadAddressFiles(const QStringList& paths);
  bool reading() const { return reading_ != 0; }

 protected:
  std::optional<CommandInput> Input() override;
  void BuildPlate() override;

 private:
  void AddTypedAddress();
  void DeleteSelected();
  void ClearAddresses();
  void ChooseMailToExtract();
  void Add(std::string address);
  void TakeAddresses(const AddressText& text);
  void ShowAddresses();
  void ChooseAddressFile();
  bool eventFilter(QObject* watched, QEvent* event) override;

  AddressList addresses_;
  QListWidget* list_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  int reading_ = 0;  // files being read in the background
};

}  // namespace tarnwick
