// modems.ini: the installed modems, their commands and their answer tables.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "modem/ModemDatabase.h"
#include "platform/TextError.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "support/ModemDatabaseText.h"

namespace {

struct Database {
  explicit Database(const std::string& text) : settings(dir.File("Remote.ini")) {
    std::ofstream(dir.File("modems.ini")) << text;
  }
  modem::ModemDatabase Open() {
    return modem::ModemDatabase(modem::ModemDatabase::PathBeside(settings.Path()), settings);
  }
  TempDir dir;
  settings::IniFile settings;
};

std::string FindFailure(Database& database, const std::string& model) {
  try {
    database.Open().Find(model);
  } catch (const TextError& e) {
    return e.Text();
  }
  return "found";
}

}  // namespace

TEST(ModemDatabase, ReadsCommandsInOrderWithLineEndsExpanded) {
  Database database(TestModemDatabase("/dev/ttyUSB3"));
  const modem::ModemParameters hayes = database.Open().Find(TEST_MODEM);
  EXPECT_EQ(hayes.portName, "/dev/ttyUSB3");
  EXPECT_EQ(hayes.reset, "ATZ\r");
  EXPECT_EQ(hayes.init, (std::vector<std::string>{"AT&F\r", "ATS0=0\r"}));  // by number
  EXPECT_EQ(hayes.terminator, "\r");
  EXPECT_EQ(hayes.compressionOff, "%C0");
  EXPECT_FALSE(hayes.IsNullModem());
  // An answer framed by <cr><lf> is matched framed by real line ends.
  EXPECT_EQ(hayes.responses.Classify("\r\nCONNECT 57600\r\n"), modem::CLASS_CONNECT);
  EXPECT_EQ(hayes.responses.Classify("\r\nRING\r\n"), modem::CLASS_RING);
  EXPECT_TRUE(database.Open().Find(TEST_CABLE).IsNullModem());
}

TEST(ModemDatabase, ListsModemsInFileOrderAndFirstOfAModelWins) {
  Database database(
      "[B]\nModel=Second\nAttachedTo=COM2\n\n"
      "[A]\nModel=First\nPORTNAME=/dev/ttyACM0\n\n"
      "[C]\nModel=Second\nAttachedTo=COM9\n\n"
      "[NoModel]\nAttachedTo=COM4\n");
  const std::vector<modem::InstalledModem> modems = database.Open().List();
  ASSERT_EQ(modems.size(), 3u);
  EXPECT_EQ(modems[0].model, "Second");
  EXPECT_EQ(modems[0].port, "COM2");
  EXPECT_EQ(modems[1].port, "/dev/ttyACM0");  // PORTNAME when AttachedTo is missing
  EXPECT_EQ(database.Open().Find("Second").portName, "COM2");
  EXPECT_TRUE(database.Open().IsInstalled("First"));
  EXPECT_FALSE(database.Open().IsInstalled("first"));
}

TEST(ModemDatabase, ModemsAreOfferedOnlyWhileEnabled) {
  Database database("[A]\nModel=First\nAttachedTo=COM2\n\n[B]\nModel=Second\nAttachedTo=COM3\n");
  // Off by default, and the key is written for the operator to find.
  EXPECT_TRUE(modem::OfferedModels(database.Open(), database.settings).empty());
  EXPECT_EQ(database.settings.Read("MODEMS", "EnableModems", "", 10), "F");
  for (const char* on : {"T", "true"}) {
    database.settings.Write("MODEMS", "EnableModems", on);
    EXPECT_EQ(modem::OfferedModels(database.Open(), database.settings),
              (std::vector<std::string>{"First", "Second"}));
  }
}

TEST(ModemDatabase, FailuresAndTheFallbackPort) {
  Database database(
      "[Plain]\nModel=No Port\n\n"
      "[Bad]\nModel=Bad Class\nResponse.<cr><lf>OK<cr><lf>=OK\n\n"
      "[Big]\nModel=Big Class\nResponse.HELLO=40\nResponse.<cr><lf>OK<cr><lf>=0\n");
  EXPECT_EQ(database.Open().Find("No Port").portName, "COM3");
  EXPECT_EQ(database.settings.Read("MODEMS", "FallbackCOMPort", "", 100), "COM3");
  database.settings.Write("MODEMS", "FallbackCOMPort", "/dev/ttyS7");
  EXPECT_EQ(database.Open().Find("No Port").portName, "/dev/ttyS7");

  EXPECT_EQ(FindFailure(database, "Bad Class"), "Expected binary entries only.");
  EXPECT_EQ(FindFailure(database, "Gone"),
            "Could not find info in the registry for this modem: Gone");
  // A class beyond the table is skipped; the others load.
  const modem::ModemParameters big = database.Open().Find("Big Class");
  EXPECT_EQ(big.responses.Classify("HELLO"), -1);
  EXPECT_EQ(big.responses.Classify("\r\nOK\r\n"), modem::CLASS_OK);
}

TEST(ModemDatabase, TheShippedExampleLoads) {
  const std::filesystem::path example =
      std::filesystem::path(__FILE__).parent_path() / "../../modems.ini.example";
  TempDir dir;
  settings::IniFile settings(dir.File("Remote.ini"));
  const modem::ModemDatabase database(example.string(), settings);
  const std::vector<modem::InstalledModem> modems = database.List();
  ASSERT_EQ(modems.size(), 2u);
  const modem::ModemParameters hayes = database.Find(modems[0].model);
  EXPECT_EQ(hayes.responses.Classify("\r\nCONNECT 115200\r\n"), modem::CLASS_CONNECT);
  EXPECT_EQ(hayes.responses.Classify("\r\nNO DIALTONE\r\n"), modem::CLASS_NO_DIAL_TONE);
  EXPECT_TRUE(database.Find(modems[1].model).IsNullModem());
  EXPECT_EQ(modems[1].port, "COM1");
}
