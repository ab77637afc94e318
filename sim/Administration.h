#pragma once
// The administrator's side of a session: the unit sends its accounts list and configuration
// document as soon as an administrator logs in, answers the switch table request and the file
// requests, receives firmware images, and takes a new accounts list, switch table or document in
// their place. What it refuses (a viewer without administrator rights, a unit that takes no
// changes, a malformed packet) leaves its records as they were and is explained in a TEXT_MSG.

#include <functional>
#include <string>

#include "FlashImage.h"
#include "Options.h"
#include "Packet.h"
#include "UnitRecords.h"

namespace sim {

class Administration {
 public:
  using Sender = std::function<void(const Packet&)>;
  Administration(UnitRecords& records, const UnitOptions& options, const PayloadCiphers& ciphers,
                 Sender send);

  static bool IsAdministrative(std::uint8_t type);

  // Right after an administrator's LOGGED_IN.
  void Greet();
  // A packet of an administrative type from a logged-in viewer.
  void Handle(const Packet& packet, bool admin);

 private:
  void TakeAccounts(const Packet& packet);
  void TakeSwitchTable(const Packet& packet);
  void TakeConfigDocument(const Packet& packet);
  void SendAccounts();
  void SendSwitchTable();
  void SendConfigDocument();
  // A message box on the viewer, for what the unit refused.
  void Tell(const std::string& text);

  UnitRecords& m_records;
  const UnitOptions& m_options;
  const PayloadCiphers& m_ciphers;
  Sender m_send;
  FlashImage m_flash;
};

}  // namespace sim
