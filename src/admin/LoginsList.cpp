#include "admin/LoginsList.h"

#include <algorithm>

#include "platform/TextError.h"
#include "settings/TextNoCase.h"

namespace admin {

void LoginsList::Append(LoginAccount account) {
  if (m_accounts.size() >= LOGIN_SLOTS) throw TextError("The list of logins has no free slot.");
  m_accounts.push_back(std::move(account));
}

void LoginsList::Remove(size_t index) {
  if (index >= m_accounts.size())
    throw TextError("Error in RemoveFromPasswordList(): Index out of range.");
  m_accounts.erase(m_accounts.begin() + static_cast<std::ptrdiff_t>(index));
}

size_t LoginsList::CountAdministrators() const {
  return static_cast<size_t>(
      std::count_if(m_accounts.begin(), m_accounts.end(),
                    [](const LoginAccount& a) { return a.IsAdministrator(); }));
}

size_t LoginsList::Find(const std::string& id) const {
  for (size_t i = 0; i < m_accounts.size(); ++i)
    if (settings::SameNoCase(m_accounts[i].userId, id)) return i;
  return m_accounts.size();
}

std::string ShownDialback(const std::string& dialback) {
  return dialback == NO_DIALBACK ? std::string() : dialback;
}

}  // namespace admin
