#pragma once
// What the unit keeps between sessions and an administrator may change: its accounts, its
// switch table, its configuration document and its files. Used by one session at a time (the
// unit finishes a session before it starts the next).

#include <string>

#include "FileStore.h"
#include "Options.h"
#include "Users.h"

namespace sim {

struct UnitRecords {
  explicit UnitRecords(const UnitOptions& options)
      : users(options.users),
        usersFile(options.usersFile),
        switchTable(options.switchTable),
        configDocument(options.configDocument) {}

  UserList users;
  std::string usersFile;  // where a changed accounts list is written back; empty: nowhere
  std::string switchTable;
  std::string configDocument;
  FileStore files;
};

}  // namespace sim
