#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "admin/FlashUpdate.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "support/FakeSession.h"

namespace admin {
namespace {

// An image whose every byte tells its offset, so order and content both show.
std::string WriteImage(const std::string& name, size_t size) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream file(path, std::ios::binary);
  for (size_t i = 0; i < size; ++i) file.put(static_cast<char>(i * 7 % 251));
  return path;
}

struct ExpectedChunk {
  uint32_t word;
  size_t bytes;
};

struct ChunkCase {
  size_t size;
  std::vector<ExpectedChunk> chunks;
};

class FlashChunks : public testing::TestWithParam<ChunkCase> {};

TEST_P(FlashChunks, GoInFileOrderAndAlwaysEndWithTheEndWord) {
  const ChunkCase& c = GetParam();
  const std::string path = WriteImage("flash-" + std::to_string(c.size) + ".bin", c.size);
  FakeSession session;
  FlashUpdate update(path, FLASH_KIND_FLASH_PCI);
  EXPECT_EQ(update.Size(), c.size);
  uint64_t progress = 0;
  while (!update.Done()) progress += update.SendNextChunk(session);
  EXPECT_EQ(progress, c.size);

  ASSERT_EQ(session.sent.size(), c.chunks.size());
  size_t offset = 0;
  for (size_t i = 0; i < c.chunks.size(); ++i) {
    const SentPacket& packet = session.sent[i];
    EXPECT_EQ(packet.header.type, FLASH_UPDATE);
    EXPECT_EQ(packet.header.subtype, FLASH_KIND_FLASH_PCI);
    ASSERT_EQ(packet.payload.size(), 4 + c.chunks[i].bytes) << "chunk " << i;
    EXPECT_EQ(LoadLE32(packet.payload.data()), c.chunks[i].word) << "chunk " << i;
    for (size_t k = 0; k < c.chunks[i].bytes; ++k, ++offset)
      ASSERT_EQ(packet.payload[4 + k], static_cast<uint8_t>(offset * 7 % 251)) << "byte " << offset;
  }
  std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FlashChunks,
    testing::Values(ChunkCase{10000, {{0, 4996}, {1, 4996}, {FLASH_END_CHUNK, 8}}},
                    // A whole number of chunks still tells the unit where the image ends.
                    ChunkCase{9992, {{0, 4996}, {1, 4996}, {FLASH_END_CHUNK, 0}}},
                    ChunkCase{0, {{FLASH_END_CHUNK, 0}}},
                    ChunkCase{4995, {{FLASH_END_CHUNK, 4995}}}));

TEST(FlashImageKind, IsTakenFromTheNameCaseSensitively) {
  const std::pair<const char*, uint8_t> cases[] = {
      {"/tmp/orb.bin", FLASH_KIND_BIN},
      {"image.FlashPCI", FLASH_KIND_FLASH_PCI},
      {"image.FlashPCI.bin", FLASH_KIND_FLASH_PCI},
      {"image.bin.old", FLASH_KIND_BIN},
      {"IMAGE.BIN", FLASH_KIND_NONE},
      {"image.flashpci", FLASH_KIND_NONE},
      // A directory's name is no image's kind.
      {"/firmware.bin/readme.txt", FLASH_KIND_NONE},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(FlashImageKind(path), kind) << path;
}

TEST(FlashUpdate, StopsWhenTheConnectionIsLostAfterAChunk) {
  const std::string path = WriteImage("flash-lost.bin", 3 * FLASH_CHUNK_BYTES);
  FakeSession session;
  FlashUpdate update(path, FLASH_KIND_BIN);
  update.SendNextChunk(session);
  session.connected = false;
  try {
    update.SendNextChunk(session);
    FAIL() << "no failure";
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), FLASH_CONNECTION_LOST);
  }
  EXPECT_EQ(session.sent.size(), 2u);
  EXPECT_FALSE(update.Done());
  EXPECT_EQ(FlashFailureText("Orb", true),
            "Unable to update the flash.\nConnection with Orb was lost.");
  std::filesystem::remove(path);
}

TEST(FlashUpdate, AMissingFileHasNoSize) {
  try {
    FlashUpdate update("/nonexistent/orb.bin", FLASH_KIND_BIN);
    FAIL() << "opened";
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Could not obtain file size.");
  }
}

}  // namespace
}  // namespace admin
