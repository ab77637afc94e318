#pragma once
// A refused or failed edit of a preference page.

#include <string>

#include "platform/TextError.h"

namespace settings {

// The text is the message box's title, Detail() what the details pane shows
// (empty when there is nothing more to say).
class EditError : public TextError {
 public:
  EditError(std::string title, std::string detail)
      : TextError(std::move(title)), m_detail(std::move(detail)) {}
  const std::string& Detail() const { return m_detail; }

 private:
  std::string m_detail;
};

}  // namespace settings
