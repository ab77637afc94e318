#include "ConfigDocument.h"

#include <zlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

constexpr std::uint32_t MAX_LENGTH = 400000;
// What fits one packet once a block cipher has padded it.
constexpr std::size_t MAX_PAYLOAD = 59992;

void CheckDocument(const std::string& text) {
  if (text.find("<Document ") == std::string::npos || text.find("</Document>") == std::string::npos)
    throw std::runtime_error("no <Document ...> ... </Document> in the text");
}

}  // namespace

std::string DefaultConfigDocument() {
  return "<?xml version=\"1.0\" encoding=\"US-ASCII\" standalone=\"yes\"?>\n"
         "\n"
         "<Document name=\"ORB 1.0\" save=\"yes\">\n"
         "\t<PORTS>\n"
         "\t\t<PORT Name=\"COM1\" Type=\"SerialPort\" LongName=\"Serial port 1\">\n"
         "\t\t\t<DevType1 Edit=\"0\">Modem</DevType1>\n"
         "\t\t\t<DevType2 Edit=\"0\">PowerSwitch</DevType2>\n"
         "\t\t</PORT>\n"
         "\t\t<PORT Name=\"COM2\" Type=\"SerialPort\" LongName=\"Serial port 2\">\n"
         "\t\t\t<DevType1 Edit=\"0\">PowerSwitch</DevType1>\n"
         "\t\t</PORT>\n"
         "\t</PORTS>\n"
         "\t<DEVICES>\n"
         "\t\t<DEVICE Name=\"Modem1\" Type=\"Modem\" LongName=\"External modem\">\n"
         "\t\t\t<Installed Edit=\"0\">COM1</Installed>\n"
         "\t\t\t<InitString Edit=\"1\">ATZ</InitString>\n"
         "\t\t\t<Rings Edit=\"2\" Min=\"1\" Max=\"9\">2</Rings>\n"
         "\t\t\t<Speed Edit=\"3\">57600,9600,19200,38400,57600</Speed>\n"
         "\t\t</DEVICE>\n"
         "\t\t<DEVICE Name=\"Strip1\" Type=\"PowerSwitch\" LongName=\"Power strip\">\n"
         "\t\t\t<Outlets Edit=\"2\" Min=\"1\" Max=\"8\">8</Outlets>\n"
         "\t\t</DEVICE>\n"
         "\t</DEVICES>\n"
         "\t<PROPERTIES>\n"
         "\t\t<PROPERTY Name=\"Rings\" Type=\"Number\">\n"
         "\t\t\t<Default Edit=\"0\">2</Default>\n"
         "\t\t</PROPERTY>\n"
         "\t</PROPERTIES>\n"
         "\t<HELPSECTION>\n"
         "\t\t<HELP Name=\"Modem1\" Type=\"Text\">\n"
         "\t\t\t<Help Edit=\"0\">A modem for dialling in to the unit.</Help>\n"
         "\t\t</HELP>\n"
         "\t</HELPSECTION>\n"
         "</Document>\n";
}

std::string LoadConfigDocument(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read configuration document " + path);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  const std::string text = bytes.str();
  try {
    if (text.find('\0') != std::string::npos) throw std::runtime_error("a zero inside the text");
    if (text.size() >= MAX_LENGTH) throw std::runtime_error("longer than 400,000 bytes");
    CheckDocument(text);
    CompressConfigDocument(text);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("configuration document " + path + ": " + e.what());
  }
  return text;
}

Bytes CompressConfigDocument(const std::string& text, bool garble) {
  Bytes input(text.begin(), text.end());
  input.push_back(0);
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib would not start");
  Bytes out;
  PutLe32(out, static_cast<std::uint32_t>(input.size()));
  out.resize(4 + deflateBound(&stream, static_cast<uLong>(input.size())) + 16);
  stream.next_in = input.data();
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = out.data() + 4;
  stream.avail_out = static_cast<uInt>(out.size() - 4);
  const int result = deflate(&stream, Z_SYNC_FLUSH);
  const std::size_t produced = stream.total_out;
  deflateEnd(&stream);
  if (result != Z_OK || stream.avail_in != 0) throw std::runtime_error("zlib could not compress");
  out.resize(4 + produced);
  if (out.size() > MAX_PAYLOAD)
    throw std::runtime_error("compressed to " + std::to_string(out.size()) +
                             " bytes, more than one packet holds");
  if (garble) out[4] = 0;  // a zlib header naming no known method
  return out;
}

std::string ConfigDocumentFromPayload(int subtype, const Bytes& payload) {
  std::string text;
  if (subtype != 1) {
    text.assign(payload.begin(), payload.end());
    text = text.substr(0, text.find('\0'));
  } else {
    if (payload.size() < 4) throw std::runtime_error("shorter than its length word");
    const std::uint32_t length = GetLe32(payload.data());
    if (length == 0 || length > MAX_LENGTH)
      throw std::runtime_error("a declared length of " + std::to_string(length));
    // One byte to spare shows a stream that holds more than it declared.
    Bytes output(length + 1);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) throw std::runtime_error("zlib would not start");
    Bytes input(payload.begin() + 4, payload.end());
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    const int result = inflate(&stream, Z_SYNC_FLUSH);
    const std::size_t produced = stream.total_out;
    const uInt left = stream.avail_in;
    inflateEnd(&stream);
    if (result == Z_STREAM_END)
      throw std::runtime_error("the zlib stream was finished; it must end with a sync flush");
    if (result != Z_OK) throw std::runtime_error("zlib error " + std::to_string(result));
    if (produced != length || left != 0)
      throw std::runtime_error("declared " + std::to_string(length) + " bytes, inflated to " +
                               std::to_string(produced) +
                               (left ? " with compressed bytes left over" : ""));
    if (output[length - 1] != 0) throw std::runtime_error("the text has no terminating zero");
    text.assign(output.begin(), output.begin() + length - 1);
    if (text.find('\0') != std::string::npos) throw std::runtime_error("a zero inside the text");
  }
  CheckDocument(text);
  return text;
}

}  // namespace sim
