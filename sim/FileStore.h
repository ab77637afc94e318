#pragma once
// The unit's own files that a viewer may read and write (GET_FILE, PUT_FILE), kept in memory
// for the unit's life. Paths are absolute, below "/mnt/flash/Quil/".

#include <map>
#include <optional>
#include <string>

#include "Bytes.h"
#include "Packet.h"

namespace sim {

class FileStore {
 public:
  // PUT_FILE reply statuses.
  static constexpr std::uint8_t STORED = 0, CANNOT_OVERWRITE = 1, CANNOT_OPEN = 2;
  // GET_FILE reply status for a file that cannot be read; a file read is sent as subtype 1.
  static constexpr std::uint8_t NOT_READ = 0, READ = 1;

  // The reply to a GET_FILE request: subtype 1 with the file's length (32-bit) and bytes, or
  // NOT_READ.
  Packet Get(const Packet& request) const;
  // The reply to a PUT_FILE request (path length, data length, the path and the data, each
  // with its terminating zero). The file holds the data without its zero. A refusing unit
  // answers CANNOT_OVERWRITE for a file it holds and CANNOT_OPEN for a new one.
  Packet Put(const Packet& request, bool refuse);

  const std::map<std::string, Bytes>& Files() const { return m_files; }

 private:
  std::map<std::string, Bytes> m_files;
};

// The path if it names a file below the unit's directory (no "..", no empty name).
std::optional<std::string> StorePath(const std::string& path);

}  // namespace sim
