#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "admin/ConfigDocument.h"
#include "admin/ServerConfigData.h"
#include "admin/TagDocument.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"
#include "support/FakeSession.h"

namespace admin {
namespace {

const std::string DOCUMENT =
    "<?xml version=\"1.0\" encoding=\"US-ASCII\" standalone=\"yes\"?>\n"
    "\n"
    "<Document name=\"ORB 1.0\" save=\"yes\">\n"
    "\t<PORTS>\n"
    "\t\t<PORT Name=\"COM1\" Type=\"Serial\" LongName=\"Serial port 1\">\n"
    "\t\t\t<DevType1 Edit=\"0\">Modem</DevType1>\n"
    "\t\t\t<DevType2 Edit=\"0\">PowerStrip</DevType2>\n"
    "\t\t\t<DevType4 Edit=\"0\">Console</DevType4>\n"
    "\t\t\t<Baud Edit=\"3\">9600,2400,9600,19200</Baud>\n"
    "\t\t</PORT>\n"
    "\t</PORTS>\n"
    "\t<DEVICES>\n"
    "\t\t<DEVICE Name=\"Strip\" Type=\"PowerStrip\" Vendor=\"x\">\n"
    "\t\t\t<Outlets Edit=\"2\" Min=\"1\" Max=\"16\">8</Outlets>\n"
    "\t\t\t<Installed Edit=\"0\">COM1</Installed>\n"
    "\t\t</DEVICE>\n"
    "\t\t<DEVICE Name=\"Hayes\" Type=\"Modem\">\n"
    "\t\t\t<Init Edit=\"1\">AT&amp;F</Init>\n"
    "\t\t</DEVICE>\n"
    "\t\t<DEVICE Name=\"Term\" Type=\"Console\">\n"
    "\t\t</DEVICE>\n"
    "\t</DEVICES>\n"
    "\t<PROPERTIES>\n"
    "\t</PROPERTIES>\n"
    "\t<HELPSECTION>\n"
    "\t\t<HELP Name=\"Strip\" Type=\"Help\">\n"
    "\t\t\t<Help Edit=\"0\">Switches outlets.</Help>\n"
    "\t\t</HELP>\n"
    "\t</HELPSECTION>\n"
    "</Document>\n";

TEST(ConfigDocumentTest, ReadsAndWritesTheUnitsDocumentUnchanged) {
  const ConfigDocument document = ConfigDocument::FillFromString(DOCUMENT + std::string(1, '\0'));
  EXPECT_EQ(document.ToString(), DOCUMENT);
  EXPECT_TRUE(document.Save());
  EXPECT_EQ(document.AcceptedTypes("COM1"), (std::vector<std::string>{"Modem", "PowerStrip"}));
  EXPECT_TRUE(document.Accepts("COM1", "Hayes"));
  EXPECT_FALSE(document.Accepts("COM1", "Term"));
  EXPECT_EQ(document.InstalledOn("Strip"), "COM1");
  const ConfigProperty* baud = document.Find("PORT", "COM1")->Property("Baud");
  EXPECT_EQ(baud->value, "9600");
  EXPECT_EQ(baud->choices, (std::vector<std::string>{"2400", "9600", "19200"}));
}

TEST(ConfigDocumentTest, AnEmptyDocumentIsItsDeclarationRootAndFourSections) {
  const ConfigDocument empty = ConfigDocument::FillFromString(
      "<Document name=\"ORB 1.0\" "
      "save=\"no\"><PORTS/><DEVICES/><PROPERTIES/><HELPSECTION/></Document>");
  EXPECT_EQ(
      empty.ToString(),
      "<?xml version=\"1.0\" encoding=\"US-ASCII\" standalone=\"yes\"?>\n\n"
      "<Document name=\"ORB 1.0\" save=\"no\">\n\t<PORTS>\n\t</PORTS>\n\t<DEVICES>\n\t</DEVICES>\n"
      "\t<PROPERTIES>\n\t</PROPERTIES>\n\t<HELPSECTION>\n\t</HELPSECTION>\n</Document>\n");
}

TEST(ConfigDocumentTest, InstallEditAndFileRoundTrip) {
  ConfigDocument document = ConfigDocument::FillFromString(DOCUMENT);
  document.Install("Hayes", "COM1");
  EXPECT_EQ(document.InstalledOn("Hayes"), "COM1");
  document.Uninstall("Strip");
  EXPECT_EQ(document.InstalledOn("Strip"), "");
  EXPECT_THROW(document.Install("Term", "COM1"), TextError);
  document.SetProperty("DEVICE", "Strip", "Outlets", "16");
  document.SetProperty("PORT", "COM1", "Baud", "19200");
  for (const auto& [property, value] :
       {std::pair{"Outlets", "17"}, {"Outlets", "many"}, {"Installed", "COM2"}})
    EXPECT_THROW(document.SetProperty("DEVICE", "Strip", property, value), TextError) << property;
  EXPECT_THROW(document.SetProperty("PORT", "COM1", "Baud", "300"), TextError);

  const auto file = std::filesystem::temp_directory_path() / "config-round-trip.xml";
  document.SaveToFile(file.string());
  std::ifstream in(file, std::ios::binary);
  const std::string stored{std::istreambuf_iterator<char>(in), {}};
  EXPECT_NE(stored.find("\t\t\t<Installed Edit=\"0\">COM1</Installed>\r\n\t\t</DEVICE>"),
            std::string::npos);
  EXPECT_EQ(stored.find("\r\n\n"), std::string::npos);
  EXPECT_EQ(ConfigDocument::LoadFromFile(file.string()), document);
  std::filesystem::remove(file);
}

TEST(ConfigDocumentTest, FaultsNameTheirCause) {
  struct Case {
    std::string text;
    std::string fault;
  };
  const Case cases[] = {
      {"<Document><PORTS><DEVICE Name=\"x\"/></PORTS></Document>", "Unknown object type: DEVICE"},
      {"<Document><CABLES/></Document>", "Unknown object type: CABLES"},
      {"<Document><PORTS>loose</PORTS></Document>", "Unexpected text in the document: 'loose'"},
      {"<Document><PORTS><PORT><Min Edit=\"2\" Min=\"low\"/></PORT></PORTS></Document>",
       "Min is no number: 'low'"},
      {"<Document>\n<PORTS>", "Error on Line: 2\nError on Column: 7\npremature eof\n"},
  };
  for (const Case& c : cases) {
    try {
      ConfigDocument::FillFromString(c.text);
      ADD_FAILURE() << c.text;
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), "Error in FillFromString()\n" + c.fault);
    }
  }
}

TEST(ConfigDocumentTest, SentCompressedAndReadBackAsTheUnitReadsIt) {
  FakeSession session;
  SendServerConfig(session, DOCUMENT);
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0].header.type, SERVER_CONFIG_DATA);
  EXPECT_EQ(session.sent[0].header.subtype, 1);
  const std::vector<uint8_t>& payload = session.sent[0].payload;
  PacketHeader header(SERVER_CONFIG_DATA, 1);
  header.DataSize = static_cast<uint16_t>(payload.size());
  EXPECT_EQ(HandleServerConfigData(header, payload.data(), payload.size()),
            DOCUMENT + std::string(1, '\0'));
  EXPECT_LT(payload.size(), DOCUMENT.size());
}

TEST(TagDocumentTest, ReadsTheWritersLinesIntoClassesObjectsAndAttributes) {
  TagDocument document;
  ASSERT_EQ(document.Parse(ConfigDocument::FillFromString(DOCUMENT).ToString()), "");
  EXPECT_EQ(document.DocName(), "ORB 1.0");
  ASSERT_EQ(document.Classes().size(), 4u);
  const TagObject* port = document.Class("PORTS")->Object("COM1");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->lastValue, "Serial port 1");
  const TagAttribute* outlets = document.Class("DEVICES")->Object("Strip")->Attribute("Outlets");
  ASSERT_NE(outlets, nullptr);
  EXPECT_EQ(outlets->value, "2");
  EXPECT_EQ(outlets->text, "8");
}

std::string Repeated(const std::string& line, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += line;
  return text;
}

TEST(TagDocumentTest, CapacitiesAndStructureFaults) {
  const std::string head = "<Document name=\"D\">\n";
  struct Case {
    std::string text;
    std::string result;
  };
  const Case cases[] = {
      {head + Repeated("<C>\n</C>\n", 20) + "</Document>\n", ""},
      {head + Repeated("<C>\n</C>\n", 21) + "</Document>\n", "Too many classes."},
      {head + "<C>\n" + Repeated("<O a=\"1\">\n</O>\n", 101) + "</C>\n</Document>\n",
       "Too many objects."},
      {head + "<C>\n<O a=\"1\">\n" + Repeated("<A v=\"1\">t</A>\n", 101) +
           "</O>\n</C>\n</Document>\n",
       "Too many attributes."},
      {head + "<C>\n<O a=\"1\">\n",
       "Ended in wrong context.  This means a block was not properly terminated with </...>"},
      {"<C>\n</C>\n", "DocName not found."},
  };
  for (const Case& c : cases) {
    TagDocument document;
    EXPECT_EQ(document.Parse(c.text), c.result) << c.text.substr(0, 60);
  }
}

}  // namespace
}  // namespace admin
