#include "FileStore.h"

namespace sim {

namespace {

constexpr const char* ROOT = "/mnt/flash/Quil/";
// A reply must fit one packet after a block cipher's padding, with its length word.
constexpr std::size_t MAX_FILE = 59992 - 4;

}  // namespace

std::optional<std::string> StorePath(const std::string& path) {
  const std::string root = ROOT;
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return std::nullopt;
  if (path.back() == '/' || path.find("/../") != std::string::npos ||
      path.find("/./") != std::string::npos || path.find("//") != std::string::npos ||
      path.substr(path.size() - 3) == "/.." || path.substr(path.size() - 2) == "/.")
    return std::nullopt;
  return path;
}

Packet FileStore::Get(const Packet& request) const {
  Packet reply{GET_FILE, NOT_READ, {}};
  if (request.data.empty() || request.data.back() != 0) return reply;
  const auto path = StorePath(std::string(request.data.begin(), request.data.end() - 1));
  if (!path) return reply;
  const auto file = m_files.find(*path);
  if (file == m_files.end() || file->second.size() > MAX_FILE) return reply;
  reply.subtype = READ;
  PutLe32(reply.data, static_cast<std::uint32_t>(file->second.size()));
  reply.data.insert(reply.data.end(), file->second.begin(), file->second.end());
  return reply;
}

Packet FileStore::Put(const Packet& request, bool refuse) {
  Packet reply{PUT_FILE, CANNOT_OPEN, {}};
  const Bytes& data = request.data;
  if (data.size() < 8) return reply;
  const std::size_t pathLength = GetLe32(&data[0]), dataLength = GetLe32(&data[4]);
  // Both lengths count a terminating zero, and together they fill the payload exactly.
  if (pathLength == 0 || dataLength == 0 || pathLength + dataLength != data.size() - 8)
    return reply;
  const auto pathEnd = data.begin() + 8 + static_cast<std::ptrdiff_t>(pathLength);
  if (*(pathEnd - 1) != 0 || data.back() != 0) return reply;
  const auto path = StorePath(std::string(data.begin() + 8, pathEnd - 1));
  if (!path) return reply;
  if (refuse) {
    reply.subtype = m_files.count(*path) ? CANNOT_OVERWRITE : CANNOT_OPEN;
    return reply;
  }
  m_files[*path] = Bytes(pathEnd, data.end() - 1);
  reply.subtype = STORED;
  return reply;
}

}  // namespace sim
