#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "settings/TempDir.h"

using sim::ParseCommandLine;

TEST(SimCommandLine, FlagsReachTheOptions) {
  const auto o = ParseCommandLine({"--listen",           "0.0.0.0:0",
                                   "--encryption",       "none",
                                   "--encryption-types", "0x6",
                                   "--version-string",   "X1",
                                   "--inactivity",       "600",
                                   "--segment-mode",     "none",
                                   "--encoding",         "raw",
                                   "--screen",           "1600x1200",
                                   "--fault-stall",      "--no-fill-square",
                                   "--keepalive-s",      "0"})
                     .options;
  EXPECT_EQ(o.listenHost, "0.0.0.0");
  EXPECT_EQ(o.listenPort, 0);
  EXPECT_FALSE(o.encryption.has_value());
  EXPECT_EQ(o.encryptionTypes, 6);
  EXPECT_EQ(o.versionString, "X1");
  EXPECT_EQ(o.inactivitySeconds, 600u);
  EXPECT_FALSE(o.segmentMode.has_value());
  EXPECT_EQ(o.encoding, sim::Encoding::Raw);
  EXPECT_EQ(o.nativeWidth, 1600);
  EXPECT_TRUE(o.faults.stall);
  EXPECT_FALSE(o.fillSquare);
  EXPECT_EQ(o.keepAliveSeconds, 0);

  const auto serial = ParseCommandLine({"--pty", "--direct", "--speed", "115200", "--call-back",
                                        "--fault-noise", "0.25", "--fault-busy"})
                          .options;
  EXPECT_TRUE(serial.serial.pty);
  EXPECT_TRUE(serial.serial.direct);
  EXPECT_EQ(serial.serial.speed, 115200);
  EXPECT_TRUE(serial.serial.callBack);
  EXPECT_DOUBLE_EQ(serial.faults.noiseRate, 0.25);
  EXPECT_TRUE(serial.faults.dialBusy);
  EXPECT_TRUE(serial.serial.Enabled());

  const auto defaults = ParseCommandLine({}).options;
  EXPECT_FALSE(defaults.serial.Enabled());
  EXPECT_EQ(defaults.listenPort, 5678);
  EXPECT_EQ(defaults.encryption, 13);
  EXPECT_FALSE(ParseCommandLine({}).logKeys);
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"--log-keys"}).logKeys);
}

TEST(SimCommandLine, BadFlagsAreRefusedWithTheirName) {
  const std::vector<std::vector<std::string>> bad = {{"--listen", "5678"},
                                                     {"--screen", "1601x1200"},
                                                     {"--encoding", "rle"},
                                                     {"--encryption", "13x"},
                                                     {"--challenge-length", "200"},
                                                     {"--keepalive-s"},
                                                     {"--users", "/nonexistent"},
                                                     {"--frobnicate"},
                                                     {"--fault-noise", "1.5"},
                                                     {"--speed", "300"},
                                                     {"--pty", "--serial", "/dev/ttyS0"}};
  for (const auto& args : bad) {
    SCOPED_TRACE(args[0]);
    try {
      ParseCommandLine(args);
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(args[0] == "--users" ? "users" : args[0]),
                std::string::npos)
          << e.what();
    }
  }
}

TEST(SimCommandLine, AdministrationFlagsLoadTheUnitsRecords) {
  TempDir dir;
  const std::string table = dir.File("table.txt"), document = dir.File("config.xml"),
                    users = dir.File("users.txt");
  WriteWholeFile(table, "\r\ncustom\r\n\r\n\r\n\r\n`1`One`F1\r\n");
  WriteWholeFile(document, "<Document name=\"ORB 1.0\" save=\"no\">\n</Document>\n");
  WriteWholeFile(users, "root:pa:ss:admin:555-1 2:10.*.0.255\nguest:g:user\n");
  const auto o = ParseCommandLine({"--switch-table", table, "--config-doc", document, "--users",
                                   users, "--refuse-admin", "--malformed-admin"})
                     .options;
  EXPECT_EQ(o.switchTable, "\ncustom\n\n\n\n`1`One`F1\n");  // LF on the wire
  EXPECT_EQ(o.configDocument, ReadWholeFile(document));
  EXPECT_EQ(o.usersFile, users);
  const sim::User* root = o.users.Find("root");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->password, "pa:ss");
  EXPECT_TRUE(root->admin);
  EXPECT_EQ(root->dialback, "555-1 2");
  EXPECT_EQ(root->ipMask, "10.*.0.255");
  EXPECT_EQ(o.users.Find("guest")->ipMask, "*.*.*.*");
  EXPECT_TRUE(o.refuseAdmin);
  EXPECT_TRUE(o.faults.malformedAdmin);
  const auto defaults = ParseCommandLine({}).options;
  EXPECT_FALSE(defaults.refuseAdmin || defaults.faults.malformedAdmin);
  EXPECT_EQ(defaults.users.All().size(), 3u);

  struct Bad {
    const char* flag;
    const char* content;
    const char* reason;
  };
  for (const Bad& bad : {Bad{"--switch-table", "\ncustom\n\n\n\n", "no port lines"},
                         Bad{"--switch-table", "\n\n\n\n\n`1`A`F1\n", "no switch type"},
                         Bad{"--config-doc", "<?xml version=\"1.0\"?>\n", "<Document"},
                         Bad{"--users", "a:b:admin:5:1.2.3.4:x\n", "role"},
                         Bad{"--users", "a:b:admin:5-5:1.2.3.256\n", "IP mask"},
                         Bad{"--users", "a:b:admin:5a:*.*.*.*\n", "dialback"}}) {
    SCOPED_TRACE(bad.content);
    const std::string path = dir.File("bad");
    WriteWholeFile(path, bad.content);
    try {
      ParseCommandLine({bad.flag, path});
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(bad.reason), std::string::npos) << e.what();
    }
  }
}
