// Steps the dialog tests share: the sample mails, and answers to the address dialogs.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>

#include "support/modal_script.h"

namespace tarnwick::testing {

// A returned mail written for the tests, under tests/data/returned.
inline QString Sample(const char* name) {
  return QStringLiteral(TARNWICK_TEST_DATA "/returned/") + QString::fromUtf8(name);
}

// Types the address (or pastes addresses) into the address dialog and presses OK.
inline ModalScript::Step TypeAddress(const QString& address) {
  return [address](QDialog& dialog) {
    dialog.findChild<QPlainTextEdit*>("address")->setPlainText(address);
    dialog.accept();
    return dialog.result();
  };
}

// Keeps every address the extraction dialog offers.
inline int KeepAllAddresses(QDialog& dialog) {
  dialog.findChild<QPushButton*>("selectAllButton")->click();
  dialog.accept();
  return dialog.result();
}

}  // namespace tarnwick::testing
