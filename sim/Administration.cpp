#include "Administration.h"

#include <stdexcept>

#include "AccountsList.h"
#include "Cipher.h"
#include "CommandNote.h"
#include "ConfigDocument.h"
#include "Log.h"
#include "SwitchTable.h"

namespace sim {

namespace {

constexpr const char* ACCOUNTS = "User accounts";
constexpr const char* SWITCH_TABLE = "Switch settings";
constexpr const char* DOCUMENT = "Device configuration";
constexpr const char* NOT_ADMIN = "only an administrator may change them";
constexpr const char* REFUSING = "this unit does not accept changes";

bool IsPlain(int cipher) { return cipher == CIPHER_NONE || cipher == 10; }

}  // namespace

Administration::Administration(UnitRecords& records, const UnitOptions& options,
                               const PayloadCiphers& ciphers, Sender send)
    : m_records(records), m_options(options), m_ciphers(ciphers), m_send(std::move(send)) {}

bool Administration::IsAdministrative(std::uint8_t type) {
  switch (type) {
    case USERS_LIST:
    case SWITCH_SETTINGS:
    case REQUEST_SWITCH_SETTINGS:
    case SERVER_CONFIG_DATA:
    case GET_FILE:
    case PUT_FILE:
    case FLASH_UPDATE:
      return true;
  }
  return false;
}

void Administration::Greet() {
  SendAccounts();
  SendConfigDocument();
}

void Administration::Handle(const Packet& packet, bool admin) {
  switch (packet.type) {
    case REQUEST_SWITCH_SETTINGS:
      if (!admin) return Tell("Switch settings not sent: only an administrator may read them.");
      return SendSwitchTable();
    case GET_FILE:
      return m_send(admin ? m_records.files.Get(packet)
                          : Packet{GET_FILE, FileStore::NOT_READ, {}});
    case PUT_FILE:
      return m_send(m_records.files.Put(packet, !admin || m_options.refuseAdmin));
    case FLASH_UPDATE: {
      // A whole image is taken in silence; what is refused is told once.
      const int written = m_flash.WrittenCount();
      if (const auto refusal = m_flash.Take(packet, admin, m_options.flashFail))
        return Tell(*refusal);
      if (m_flash.WrittenCount() > written && m_options.onCommand)
        m_options.onCommand(FlashWrittenNote(m_flash.Written().size(), packet.subtype));
      return;
    }
  }
  // An empty list or document asks for the unit's own again.
  if (packet.data.empty() && packet.type != SWITCH_SETTINGS) {
    if (!admin) return Tell("Nothing sent: only an administrator may read the unit's records.");
    return packet.type == USERS_LIST ? SendAccounts() : SendConfigDocument();
  }
  const char* what = packet.type == USERS_LIST        ? ACCOUNTS
                     : packet.type == SWITCH_SETTINGS ? SWITCH_TABLE
                                                      : DOCUMENT;
  std::string why;
  if (!admin) {
    why = NOT_ADMIN;
  } else if (m_options.refuseAdmin) {
    why = REFUSING;
  } else {
    try {
      if (packet.type == USERS_LIST) TakeAccounts(packet);
      if (packet.type == SWITCH_SETTINGS) TakeSwitchTable(packet);
      if (packet.type == SERVER_CONFIG_DATA) TakeConfigDocument(packet);
      return;
    } catch (const std::runtime_error& e) {
      why = e.what();
    }
  }
  Tell(std::string(what) + " not changed: " + why + ".");
}

void Administration::TakeAccounts(const Packet& packet) {
  if (!packet.encrypted && !IsPlain(m_ciphers.ForReceiving(USERS_LIST, packet.subtype)))
    throw std::runtime_error("the list came in plain");
  m_records.users = DecodeAccountsList(packet.data, m_records.users);
  Log("the accounts list now holds %zu accounts", m_records.users.All().size());
  if (m_records.usersFile.empty()) return;
  try {
    m_records.users.Save(m_records.usersFile);
  } catch (const std::runtime_error& e) {
    Warn("%s", e.what());
  }
}

void Administration::TakeSwitchTable(const Packet& packet) {
  m_records.switchTable = SwitchTableFromPayload(packet.data);
  Log("the switch table was replaced");
}

void Administration::TakeConfigDocument(const Packet& packet) {
  m_records.configDocument = ConfigDocumentFromPayload(packet.subtype, packet.data);
  Log("the configuration document was replaced (%zu bytes)", m_records.configDocument.size());
}

void Administration::SendAccounts() {
  // An accounts list never leaves in plain unless plain was agreed for it.
  if (m_ciphers.ForSending(USERS_LIST) < 0) {
    Log("no cipher was agreed for the accounts list; it is not sent");
    return;
  }
  Packet packet{USERS_LIST, 1, EncodeAccountsList(m_records.users)};
  if (m_options.faults.malformedAdmin) {
    Log("sending an accounts list that claims one account more than it holds (fault)");
    SetLe32(packet.data.data(), static_cast<std::uint32_t>(m_records.users.All().size() + 1));
  }
  m_send(packet);
}

void Administration::SendSwitchTable() {
  Packet packet{SWITCH_SETTINGS, 0, SwitchTablePayload(m_records.switchTable)};
  if (m_options.faults.malformedAdmin) {
    Log("sending a switch table cut in its last line, without its zero (fault)");
    packet.data.resize(packet.data.size() - 4);
  }
  m_send(packet);
}

void Administration::SendConfigDocument() {
  const bool garble = m_options.faults.malformedAdmin;
  if (garble) Log("sending a configuration document that does not inflate (fault)");
  m_send({SERVER_CONFIG_DATA, 1, CompressConfigDocument(m_records.configDocument, garble)});
}

void Administration::Tell(const std::string& text) {
  Log("%s", text.c_str());
  Packet packet{TEXT_MSG, 0, Bytes(text.begin(), text.end())};
  packet.data.push_back(0);
  m_send(packet);
}

}  // namespace sim
