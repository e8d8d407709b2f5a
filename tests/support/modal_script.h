// Answers the program's modal dialogs and message boxes in a test, one scripted step each, in
// the order they come up.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <deque>
#include <functional>

#include "ui/platform/modal.h"

namespace tarnwick::testing {

class ModalScript {
 public:
  using Step = std::function<int(QDialog&)>;

  ModalScript() {
    SetModalHookForTesting([this](QDialog& dialog) {
      if (steps_.empty()) {
        ++unexpected_;
        return static_cast<int>(QDialog::Rejected);
      }
      Step step = std::move(steps_.front());
      steps_.pop_front();
      return step(dialog);
    });
  }
  ~ModalScript() { SetModalHookForTesting({}); }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  void Then(Step step) { steps_.push_back(std::move(step)); }

  // A step that expects a message box, keeps its caption and text, and presses OK; a step that
  // gets any other dialog fails the script.
  void ThenMessage(QString* text = nullptr, QString* caption = nullptr) {
    Then([this, text, caption](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      if (box == nullptr) {
        ++unexpected_;
        return static_cast<int>(QDialog::Rejected);
      }
      if (text != nullptr) *text = box->text();
      if (caption != nullptr) *caption = box->windowTitle();
      return static_cast<int>(QMessageBox::Ok);
    });
  }
  // Every scripted step was used, and no dialog came up beyond them.
  bool Done() const { return steps_.empty() && unexpected_ == 0; }

 private:
  std::deque<Step> steps_;
  int unexpected_ = 0;
};

}  // namespace tarnwick::testing
