#pragma once

#include <stdexcept>
#include <string>

namespace panelix {

// A failure that ends a user action. what() is the exact text the user sees: the window shows it
// in a message box, the CLI prints it on stderr and exits with status 1.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// A number field or token that does not hold a number. The message is
// "'<text>' is not a valid integer value", <text> being what was converted.
class ConversionError : public Error {
 public:
  explicit ConversionError(std::string text)
      : Error("'" + text + "' is not a valid integer value"), m_text(std::move(text)) {}
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
};

}  // namespace panelix
