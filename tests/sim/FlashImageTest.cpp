#include <gtest/gtest.h>

#include "FlashImage.h"

namespace sim {
namespace {

Packet Chunk(std::uint32_t word, std::size_t bytes, std::uint8_t kind = 1) {
  Packet packet{FLASH_UPDATE, kind, {}};
  PutLe32(packet.data, word);
  for (std::size_t i = 0; i < bytes; ++i) packet.data.push_back(static_cast<std::uint8_t>(i));
  return packet;
}

constexpr std::uint32_t END = FlashImage::END;
constexpr std::size_t FULL = FlashImage::CHUNK;

struct ImageCase {
  const char* name;
  std::vector<Packet> chunks;
  bool admin;
  bool refuseWrite;
  std::string refusal;  // empty: the image is written
};

TEST(FlashImage, WritesOnlyWholeOrderedImagesAndTellsEachRefusalOnce) {
  const ImageCase cases[] = {
      {"three chunks", {Chunk(0, FULL), Chunk(1, FULL), Chunk(END, 8)}, true, false, ""},
      {"whole chunks, empty end", {Chunk(0, FULL), Chunk(END, 0)}, true, false, ""},
      {"out of order",
       {Chunk(0, FULL), Chunk(2, FULL), Chunk(1, FULL), Chunk(END, 8)},
       true,
       false,
       "Flash not updated: chunk 2 came where chunk 1 was due."},
      {"short full chunk",
       {Chunk(0, FULL - 1), Chunk(END, 8)},
       true,
       false,
       "Flash not updated: chunk 0 carries 4995 bytes."},
      {"kind changes",
       {Chunk(0, FULL, 1), Chunk(END, 8, 2)},
       true,
       false,
       "Flash not updated: the image kind changed within the image."},
      {"empty", {Chunk(END, 0)}, true, false, "Flash not updated: the image is empty."},
      {"not an administrator",
       {Chunk(0, FULL), Chunk(END, 8)},
       false,
       false,
       "Flash not updated: only an administrator may update it."},
      {"cannot write",
       {Chunk(0, FULL), Chunk(END, 8)},
       true,
       true,
       "Flash not updated: the unit could not write the image."},
  };
  for (const ImageCase& c : cases) {
    FlashImage flash;
    std::vector<std::string> told;
    for (const Packet& chunk : c.chunks)
      if (const auto refusal = flash.Take(chunk, c.admin, c.refuseWrite)) told.push_back(*refusal);
    if (c.refusal.empty()) {
      EXPECT_TRUE(told.empty()) << c.name;
      EXPECT_EQ(flash.WrittenCount(), 1) << c.name;
    } else {
      EXPECT_EQ(told, std::vector<std::string>{c.refusal}) << c.name;
      EXPECT_EQ(flash.WrittenCount(), 0) << c.name;
    }
  }
}

TEST(FlashImage, ANewImageAfterARefusedOneIsWritten) {
  FlashImage flash;
  EXPECT_TRUE(flash.Take(Chunk(0, FULL), true, false) == std::nullopt);
  EXPECT_TRUE(flash.Take(Chunk(3, FULL), true, false).has_value());
  for (const Packet& chunk : {Chunk(4, FULL), Chunk(0, FULL), Chunk(1, FULL), Chunk(END, 3)})
    EXPECT_EQ(flash.Take(chunk, true, false), std::nullopt);
  EXPECT_EQ(flash.WrittenCount(), 1);
  EXPECT_EQ(flash.Written().size(), 2 * FULL + 3);
}

}  // namespace
}  // namespace sim
