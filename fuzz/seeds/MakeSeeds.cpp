// Writes the seed corpora: MakeSeeds DIR fills DIR/<target>/ with a few small
// inputs per fuzz target, from the protocol's known examples and from what
// the simulated unit sends. Each file is named for what it holds; existing
// regression inputs beside them are left alone.

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Cipher.h"
#include "Desktop.h"
#include "Login.h"
#include "Packet.h"
#include "VideoEncoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

fs::path g_root;

void Save(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(g_root / target);
  std::ofstream(g_root / target / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Text(const std::string& text, bool terminated = true) {
  Bytes bytes(text.begin(), text.end());
  if (terminated) bytes.push_back(0);
  return bytes;
}

Bytes Plain(uint8_t type, const Bytes& data, uint8_t subtype = 0) {
  return sim::EncodePacket({type, subtype, data}, sim::CIPHER_NONE, nullptr);
}

// What the simulated unit sends for a small desktop in one encoding: the first
// full picture and one animated change.
std::vector<sim::Packet> Video(sim::Encoding encoding, int width, int height) {
  sim::VideoEncoder encoder;
  encoder.Reset(width, height);
  sim::Desktop desktop;
  std::vector<sim::Packet> packets =
      encoder.Update(desktop.Render(width, height, 0, 2), true, encoding);
  for (sim::Packet& packet : encoder.Update(desktop.Render(width, height, 7, 2), false, encoding))
    packets.push_back(std::move(packet));
  return packets;
}

void PacketReaderSeeds() {
  const Bytes keepAlive = Plain(sim::KEEP_ALIVE, {});
  const Bytes ping = Plain(sim::PING, {1, 2, 3, 4});
  const Bytes abc = Plain(sim::TEXT_MSG, Text("abc", false));
  const Bytes text = Plain(sim::TEXT_MSG, Text("Welcome to the unit."), 5);
  Bytes badChecksum = text;
  badChecksum.back() ^= 0x5A;
  Bytes oversize = abc;
  oversize[2] = 0x61, oversize[3] = 0xEA;  // PayloadSize 60,001

  Bytes video;
  for (const sim::Packet& packet : Video(sim::Encoding::Mixed, 48, 32))
    video = Cat({video, sim::EncodePacket(packet, sim::CIPHER_NONE, nullptr)});
  const Bytes session = Cat({keepAlive, ping, text, video});

  // flags (bit 0 serial line up, the rest the ring's start), chunk seed, stream
  Save("packet_reader_fuzz", "tcp-session-whole", Cat({{0, 0}, session}));
  Save("packet_reader_fuzz", "tcp-session-chunked-wrapping", Cat({{0x1E, 7}, session}));
  Save("packet_reader_fuzz", "tcp-small-packets", Cat({{0, 3}, keepAlive, abc, ping}));
  Save("packet_reader_fuzz", "tcp-bad-checksum", Cat({{0, 1}, keepAlive, badChecksum}));
  Save("packet_reader_fuzz", "tcp-oversize", Cat({{0, 2}, oversize}));
  Save("packet_reader_fuzz", "tcp-bad-signature", Cat({{0, 0}, abc, Text("garbage!garbage!")}));
  Save("packet_reader_fuzz", "serial-resynchronised",
       Cat({{1, 5}, text, badChecksum, Text("noise"), text}));
}

// The viewer's first request (id 9) acknowledged as it stands, then the unit's
// own request with its options.
Bytes NegotiationReply(const std::vector<Bytes>& unitOptions, uint8_t unitKind = 31) {
  const Bytes version = Text("TSV1.53b", false);
  Bytes ack = {32, 9, 19, 0, 0, 1, 0, 0, 2, 8, 0};
  ack.insert(ack.end(), version.begin(), version.end());
  ack.insert(ack.end(), {3, 1, 0, 7});
  Bytes options;
  for (const Bytes& option : unitOptions) options = Cat({options, option});
  const Bytes request = Cat({{unitKind, 1, static_cast<uint8_t>(options.size()), 0}, options});
  return Cat({ack, request});
}

Bytes Option(uint8_t id, const Bytes& data) {
  return Cat({{id, static_cast<uint8_t>(data.size()), 0}, data});
}

void NegotiationSeeds() {
  const std::vector<Bytes> unit = {Option(1, {0}),          Option(2, Text("ORB2.10", false)),
                                   Option(3, {7}),          Option(4, {13}),
                                   Option(5, {0, 0, 0, 0}), Option(6, {13}),
                                   Option(7, {3, 0, 0, 0})};
  // chunk seed, mode (bit 0 stray bytes, bits 1-4 failing write), the unit's bytes
  Save("negotiation_fuzz", "agreed", Cat({{0, 0}, NegotiationReply(unit)}));
  Save("negotiation_fuzz", "agreed-in-pieces", Cat({{9, 0}, NegotiationReply(unit)}));
  Save("negotiation_fuzz", "busy", Cat({{0, 0}, NegotiationReply({Option(1, {1})})}));
  Save("negotiation_fuzz", "countered-then-agreed",
       Cat({{0, 0},
            NegotiationReply({Option(4, {20}), Option(7, {9, 0, 0, 0})}),
            {31, 2, 4, 0},
            Option(4, {12})}));
  Save("negotiation_fuzz", "long-version-rejected",
       Cat({{0, 0}, NegotiationReply({Option(2, Bytes(33, 'v'))})}));
  Save("negotiation_fuzz", "unit-rejects", Cat({{0, 0}, {34, 9, 4, 0}, Option(0, {0})}));
  Save("negotiation_fuzz", "garbage-then-agreed",
       Cat({{0, 1}, Text("ATZ\r\nOK\r\n", false), NegotiationReply(unit)}));
  Save("negotiation_fuzz", "answer-not-sent", Cat({{0, 4}, NegotiationReply(unit)}));
}

void IniSeeds() {
  const std::string remote =
      "[MISC]\r\nCURRSEL=0\r\nCURRSELTEXT=Unit\r\nKeepAliveTime=60\r\nVIEW_TYPE=Scaled\r\n"
      "\r\n[LOGGING]\r\nLogTo=NONE\r\nLogLevel=5\r\n\r\n[TARGET-Unit]\r\nAddress=127.0.0.1\r\n"
      "ConnectionType=TCP/IP\r\nColor=\"Color always\"\r\n";
  // section to delete, then content, section, key and value separated by zero bytes
  auto seed = [](uint8_t pick, const std::string& content, const std::string& section,
                 const std::string& key, const std::string& value) {
    return Cat({{pick}, Text(content), Text(section), Text(key), Text(value, false)});
  };
  Save("ini_fuzz", "replace-key", seed(0, remote, "MISC", "KeepAliveTime", "30"));
  Save("ini_fuzz", "new-key", seed(1, remote, "logging", "LogFile", " log.txt "));
  Save("ini_fuzz", "new-section", seed(2, remote, "FAVORITE-Lab", "Name", "'Lab'"));
  Save("ini_fuzz", "odd-lines",
       seed(1, "\xEF\xBB\xBF; comment\norphan=1\n[ A ]\nk = v \n[a]\nk=dup\n[B\n=x\n[C]]\nk", "b",
            "k", "v"));
}

// width and height in steps of 4, then packets: type bit, subtype, DataSize,
// length, payload.
void VideoSeeds() {
  const int width = 64, height = 48;
  for (const auto& [name, encoding] :
       {std::pair{"raw", sim::Encoding::Raw}, std::pair{"segment", sim::Encoding::Segment},
        std::pair{"multisegment", sim::Encoding::MultiSegment},
        std::pair{"mixed", sim::Encoding::Mixed}}) {
    Bytes input = {width / 4 - 1, height / 4 - 1};
    for (const sim::Packet& packet : Video(encoding, width, height)) {
      const uint16_t size = static_cast<uint16_t>(packet.data.size());
      const uint8_t lo = static_cast<uint8_t>(size), hi = static_cast<uint8_t>(size >> 8);
      input = Cat(
          {input,
           {static_cast<uint8_t>(packet.type == sim::MULTISEGMENT), packet.subtype, lo, hi, lo, hi},
           packet.data});
    }
    Save("video_decoder_fuzz", name, input);
  }
}

// A document as the unit compresses it: one deflate stream ended by a sync
// flush, never finished.
Bytes Deflated(const std::string& text) {
  z_stream stream{};
  deflateInit(&stream, Z_DEFAULT_COMPRESSION);
  Bytes out(deflateBound(&stream, text.size()) + 16);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_SYNC_FLUSH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

Bytes Word32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

const std::string CONFIG_DOCUMENT =
    "<DeviceConfig>\n<Port name=\"COM1\" type=\"PowerStrip\" baud=\"9600\"/>\n"
    "<Port name=\"COM2\" type=\"Modem\"/>\n</DeviceConfig>\n";

Bytes ConfigPayload(bool compressed) {
  if (!compressed) return Text(CONFIG_DOCUMENT);
  return Cat({Word32(static_cast<uint32_t>(CONFIG_DOCUMENT.size())), Deflated(CONFIG_DOCUMENT)});
}

void ServerConfigSeeds() {
  // subtype, DataSize, payload
  for (const bool compressed : {false, true}) {
    const Bytes payload = ConfigPayload(compressed);
    const auto size = static_cast<uint16_t>(payload.size());
    Save("server_config_fuzz", compressed ? "compressed" : "plain",
         Cat({{compressed, static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)}, payload}));
  }
}

// cipher choice, then packets: type, subtype, flags, DataSize, length, payload.
void DispatcherSeeds() {
  auto packet = [](uint8_t type, uint8_t subtype, const Bytes& payload) {
    const auto size = static_cast<uint16_t>(payload.size());
    const uint8_t lo = static_cast<uint8_t>(size), hi = static_cast<uint8_t>(size >> 8);
    return Cat({{type, subtype, 0, lo, hi, lo, hi}, payload});
  };
  const sim::Packet questions = sim::AskUserQuestions("0123456789ABCDEF");
  const Bytes login = Cat(
      {packet(questions.type, questions.subtype, questions.data), packet(sim::LOGGED_IN, 1, {})});
  Save("dispatcher_fuzz", "login", Cat({{0}, login}));
  Save("dispatcher_fuzz", "login-blowfish", Cat({{1}, login}));
  Save("dispatcher_fuzz", "session",
       Cat({{0},
            packet(sim::KEEP_ALIVE, 0, {}),
            packet(sim::PING, 0, {1, 2, 3, 4}),
            packet(sim::PING_RESPONSE, 0, {1, 2, 3, 4}),
            packet(sim::TEXT_MSG, 5, Text("Hello from the unit.")),
            packet(sim::FILL_BMP_WITH_COLOR, 0, {0, 0, 0, 0, 10, 0, 10, 0, 255, 0, 0}),
            packet(sim::RESIZE, 0, Cat({Word32(800), Word32(600)})),
            packet(115, 0, Text("1024x768 @ 60 Hz")),
            packet(122, 1, Cat({Word32(5), Text("file", false)})),
            packet(129, 0, Cat({Word32(3), Text("OK\n", false)})),
            packet(124, 1, {}),
            packet(247, 0, ConfigPayload(false)),
            packet(247, 1, ConfigPayload(true)),
            packet(235, 0, {}),
            packet(99, 0, {1, 2, 3}),
            packet(sim::DISCONNECT, 0, {})}));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
    return 2;
  }
  g_root = argv[1];
  PacketReaderSeeds();
  NegotiationSeeds();
  IniSeeds();
  VideoSeeds();
  ServerConfigSeeds();
  DispatcherSeeds();
  return 0;
}
