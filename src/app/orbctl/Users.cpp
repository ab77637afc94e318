#include "Users.h"

#include <ostream>

#include "VerbArguments.h"
#include "admin/UsersPacket.h"
#include "protocol/PacketTypes.h"

namespace orbctl {
namespace {

// The unit sends the list itself after an administrator logs in.
const admin::LoginsList& AwaitUsersList(HeadlessClient& client) {
  const view::KVMDispatcher& dispatcher = client.Viewer().Dispatcher();
  client.RunUntil([&] { return dispatcher.ReceiveCount(USERS_LIST) > 0; });
  if (!dispatcher.UsersListFault().empty()) throw TextError(dispatcher.UsersListFault());
  return dispatcher.UsersList();
}

size_t Existing(const admin::LoginsList& list, const std::string& id) {
  const size_t index = list.Find(id);
  if (index == list.Count()) throw UsageError("users: the unit has no account '" + id + "'.");
  return index;
}

// The dialog's rules, on the list as the unit sent it; a broken one is the
// operator's to mend, so nothing goes.
admin::LoginsList Edited(const admin::LoginsList& sent, const UsersRequest& request) {
  admin::LoginsList list = sent;
  std::string broken;
  if (request.action == UsersRequest::Action::Remove) {
    const size_t index = Existing(list, request.userId);
    broken = admin::CheckRemove(list, index);
    if (broken.empty()) list.Remove(index);
  } else {
    std::optional<size_t> editing;
    admin::UserDetails details;
    if (request.action == UsersRequest::Action::Add) {
      broken = admin::CheckAdd(list, "The unit");
      details.userId = request.userId;
      details.dialback = request.dialback.value_or("");
      details.administrator = request.administrator;
      if (request.ipMask) details.ipMask = admin::IpMaskParts(*request.ipMask);
    } else {
      editing = Existing(list, request.userId);
      details = admin::DetailsOf(list.At(*editing));
    }
    details.password = details.confirmation = request.password;
    if (broken.empty()) broken = admin::CheckUserDetails(list, editing, details);
    if (broken.empty()) admin::ApplyUserDetails(list, editing, details);
  }
  if (!broken.empty()) throw UsageError("users " + request.userId + ": " + broken);
  return list;
}

}  // namespace

UsersRequest ParseUsersArguments(const std::vector<std::string>& arguments) {
  UsersRequest request;
  CLI::App users("the unit's login accounts", "users");
  users.set_help_flag();
  users.require_subcommand(1);
  users.add_subcommand("list", "one row per account");
  CLI::App* add = users.add_subcommand("add", "add an account");
  add->add_option("ID", request.userId)->required();
  add->add_option("--new-password", request.password)->required();
  add->add_option("--dialback", request.dialback);
  add->add_option("--ip-mask", request.ipMask);
  add->add_flag("--admin", request.administrator);
  CLI::App* remove = users.add_subcommand("remove", "remove an account");
  remove->add_option("ID", request.userId)->required();
  CLI::App* passwd = users.add_subcommand("passwd", "give an account a new password");
  passwd->add_option("ID", request.userId)->required();
  passwd->add_option("PW", request.password)->required();
  for (CLI::App* verb : users.get_subcommands({})) verb->set_help_flag();
  ParseVerbArguments(users, arguments);
  if (add->parsed()) request.action = UsersRequest::Action::Add;
  if (remove->parsed()) request.action = UsersRequest::Action::Remove;
  if (passwd->parsed()) request.action = UsersRequest::Action::Passwd;
  if (request.ipMask) {
    try {
      admin::IpMaskParts(*request.ipMask);
    } catch (const TextError& e) {
      throw UsageError("users: " + e.Text());
    }
  }
  return request;
}

void PrintUsers(const admin::LoginsList& list, std::ostream& out) {
  out << "User ID\tDialback Number\tIP Mask\tAdmin\n";
  for (const admin::LoginAccount& account : list.Accounts())
    out << account.userId << '\t' << admin::ShownDialback(account.dialback) << '\t'
        << account.ipMask << '\t' << (account.IsAdministrator() ? "YES" : "NO") << '\n';
  out.flush();
}

void RunUsers(HeadlessClient& client, const UsersRequest& request, std::ostream& out) {
  client.LogInAsAdministrator();
  const admin::LoginsList& sent = AwaitUsersList(client);
  if (request.action == UsersRequest::Action::List) {
    PrintUsers(sent, out);
    return;
  }
  const admin::LoginsList edited = Edited(sent, request);
  try {
    admin::BuildUsersPayload(edited);
  } catch (const TextError& e) {
    throw UsageError("There was a problem in SendUsers():\n" + e.Text());
  }
  client.SendAndConfirm([&] { admin::SendUsers(client.Viewer().Session(), edited); });
}

}  // namespace orbctl
