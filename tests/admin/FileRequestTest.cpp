#include <gtest/gtest.h>

#include "admin/FileRequest.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "support/FakeSession.h"

namespace admin {
namespace {

TEST(FileRequest, PutCarriesBothLengthsWithTheirZeros) {
  FakeSession session;
  const std::vector<uint8_t> data{'a', 0, 'b'};
  SendPutFile(session, "/mnt/flash/Quil/x.txt", data);
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0].header.type, PUT_FILE);
  EXPECT_EQ(session.sent[0].header.subtype, 1);
  const std::vector<uint8_t>& payload = session.sent[0].payload;
  ASSERT_EQ(payload.size(), 8u + 22 + 4);
  EXPECT_EQ(LoadLE32(&payload[0]), 22u);
  EXPECT_EQ(LoadLE32(&payload[4]), 4u);
  EXPECT_EQ(std::string(payload.begin() + 8, payload.begin() + 30),
            std::string("/mnt/flash/Quil/x.txt\0", 22));
  EXPECT_EQ(std::vector<uint8_t>(payload.begin() + 30, payload.end()),
            (std::vector<uint8_t>{'a', 0, 'b', 0}));
}

TEST(FileRequest, GetCarriesThePathWithItsZero) {
  FakeSession session;
  SendGetFile(session, "/mnt/flash/Quil/a/b");
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0].header.type, GET_FILE);
  EXPECT_EQ(session.sent[0].header.subtype, 0);
  EXPECT_EQ(session.sent[0].payload, std::vector<uint8_t>(std::begin("/mnt/flash/Quil/a/b"),
                                                          std::end("/mnt/flash/Quil/a/b")));
}

TEST(FileRequest, RefusesPathsOutsideTheUnitsDirectoryAndOversizedFiles) {
  for (const char* path :
       {"/mnt/flash/Quil/", "/etc/passwd", "/mnt/flash/Quil/../x", "/mnt/flash/Quil/a//b",
        "/mnt/flash/Quil/a/.", "mnt/flash/Quil/a", "/mnt/flash/Quilt"}) {
    FakeSession session;
    EXPECT_THROW(SendGetFile(session, path), TextError) << path;
    EXPECT_TRUE(session.sent.empty()) << path;
  }
  FakeSession session;
  EXPECT_THROW(SendPutFile(session, "/mnt/flash/Quil/big", std::vector<uint8_t>(60000)), TextError);
  EXPECT_TRUE(session.sent.empty());
}

TEST(FileRequest, StatusTexts) {
  const std::tuple<int32_t, std::string, std::string> cases[] = {
      {-10, "No response from remote", "No response from remote"},
      {-11, "The unit's reply was cut short: the file is incomplete.", ""},
      {0, "The unit could not read the file (status 0).", ""},
      {1, "", "Could not overwrite remote file."},
      {2, "The unit could not read the file (status 2).", "Could not open file for writing."},
  };
  for (const auto& [status, get, put] : cases) {
    EXPECT_EQ(GetFileFailure(status), get) << status;
    EXPECT_EQ(PutFileFailure(status), put) << status;
  }
}

}  // namespace
}  // namespace admin
