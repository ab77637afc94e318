#pragma once
// The unit's configuration document: its serial ports and the devices that may sit on them,
// as XML. It travels in SERVER_CONFIG_DATA, subtype 1: the text's length with its terminating
// zero (32-bit), then the text and its zero deflated as one zlib stream that ends with a sync
// flush and is never finished. Any other subtype carries the text itself.

#include <string>

#include "Bytes.h"

namespace sim {

// A small document: two serial ports, a modem installed on the first, a power strip not
// installed.
std::string DefaultConfigDocument();

// Throws std::runtime_error when the file cannot be read or does not hold a document that
// fits one packet.
std::string LoadConfigDocument(const std::string& path);

// The subtype-1 payload. `garble` spoils the zlib stream's header, so an inflater fails with a
// data error. Throws std::runtime_error when the result would not fit one packet.
Bytes CompressConfigDocument(const std::string& text, bool garble = false);

// The document of a payload an administrator sent. Throws std::runtime_error when the length
// is out of range, the stream does not inflate to exactly that length (or was finished), or
// the text is not a document.
std::string ConfigDocumentFromPayload(int subtype, const Bytes& payload);

}  // namespace sim
