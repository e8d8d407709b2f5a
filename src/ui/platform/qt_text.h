// The user-interface boundary of the program's CP932 text.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;
class QWidget;

namespace tarnwick {

QString FromCp932(std::string_view cp932);

// The CP932 form of typed text, or nothing when it holds a character CP932 can't hold; that
// character is then put into `offending` for the message.
std::optional<std::string> ToCp932(const QString& text, QString* offending = nullptr);

// The message that refuses typed text CP932 can't hold.
QString UnrepresentableTextMessage(const QString& offending);

// The edit's text in CP932. When it holds a character CP932 can't hold, the user is told so,
// the edit gets the focus, and nothing is returned.
std::optional<std::string> TypedCp932(QLineEdit& edit);
// The same for text typed into any other field.
std::optional<std::string> TypedCp932(QWidget& field, const QString& text);

}  // namespace tarnwick
