#include "app/Report.h"

#include <QFileInfo>

QString AppTitle(const QString& executablePath) {
  QString name = QFileInfo(executablePath).fileName();
  name.truncate(name.indexOf('.') < 0 ? name.size() : name.indexOf('.'));
  if (name.isEmpty()) return name;
  return name.left(1) + name.mid(1).toLower();
}

std::string ReportMessage(const std::exception_ptr& error) {
  std::string message;
  std::exception_ptr current = error;
  while (current) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      const char* what = e.what();
      if (what != nullptr && *what != '\0') message = what;
      // A nested_exception made outside any handler holds nothing; rethrowing it terminates.
      const auto* nested = dynamic_cast<const std::nested_exception*>(&e);
      current = nested != nullptr ? nested->nested_ptr() : nullptr;
    } catch (...) {
      current = nullptr;
    }
  }
  // Bytes of non-ASCII characters are all above '.', as their code points are.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}
