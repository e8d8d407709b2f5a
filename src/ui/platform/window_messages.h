// The messages the parts of the program post to each other, numbered as the program always has.
#pragma once

#include <QEvent>
#include <QString>

namespace tarnwick {

inline constexpr QEvent::Type WM_ANALYZEADDRESS = static_cast<QEvent::Type>(32805);

// A returned mail to take member addresses from; the main window passes it on to its plate.
class AnalyzeAddressEvent : public QEvent {
 public:
  explicit AnalyzeAddressEvent(QString path) : QEvent(WM_ANALYZEADDRESS), path(std::move(path)) {}
  const QString path;
};

}  // namespace tarnwick
