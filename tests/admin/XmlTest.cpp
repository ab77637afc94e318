#include <gtest/gtest.h>

#include "admin/XmlBinding.h"
#include "admin/XmlReader.h"
#include "admin/XmlWriter.h"
#include "platform/TextError.h"

namespace admin::XML {
namespace {

void ReadAll(const std::string& text) {
  Reader reader = Reader::FromString(text);
  while (reader.Next().kind != Event::Kind::End) {
  }
}

TEST(XmlReaderTest, FaultsCarryTheirCodeLineAndColumn) {
  struct Case {
    const char* text;
    uint32_t code, line, column;
  };
  const Case cases[] = {
      {"<!-- never closed", PREMATURE_EOF, 1, 17},
      {"<a>\n<b></a>", NOT_WELL_FORMED, 2, 7},
      {"<a x=1/>", NOT_WELL_FORMED, 1, 6},
      {"<!x>", NOT_WELL_FORMED, 1, 3},
      {"<a>text", PREMATURE_EOF, 1, 7},
      {"\r\n\r\n<a>", PREMATURE_EOF, 3, 3},
      {"<a/><b/>", NOT_WELL_FORMED, 1, 6},
      {"x", NOT_WELL_FORMED, 1, 1},
      {"<a>\n\r</b>", NOT_WELL_FORMED, 2, 4},
      {"<a><![CDATA[ open", PREMATURE_EOF, 1, 17},
      {"<?xml version='1.0' stray ?><a/>", NOT_WELL_FORMED, 1, 27},
      // A line break ends a name, whichever form it takes.
      {"<a b\r\nc='1'/>", NOT_WELL_FORMED, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ReadAll(c.text);
      ADD_FAILURE() << "no fault";
    } catch (const ParseException& e) {
      EXPECT_EQ(e.Code(), c.code);
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_EQ(e.Column(), c.column);
      EXPECT_EQ(e.Text(), "Error on Line: " + std::to_string(c.line) + "\nError on Column: " +
                              std::to_string(c.column) + "\n" + ParseErrorText(c.code) + "\n");
    }
  }
}

TEST(XmlReaderTest, SkipsWhatIsNoElementAndReadsBothQuotes) {
  Reader reader = Reader::FromString(
      "<?xml version=\"1.0\"?>\n<!DOCTYPE a [<!ELEMENT a ANY>]>\n<!-- c -->"
      "<a one='x\"y' two=\"p'q\"><![CDATA[<skipped>]]>t&amp;\r\nu</a>");
  const Event start = reader.Next();
  ASSERT_EQ(start.kind, Event::Kind::StartElement);
  EXPECT_EQ(start.name, "a");
  EXPECT_EQ(reader.ReadAttributeValue("one", "-"), "x\"y");
  EXPECT_EQ(reader.ReadAttributeValue("two", "-"), "p'q");
  EXPECT_EQ(reader.ReadAttributeValue("three", "-"), "-");
  EXPECT_EQ(reader.Next().text, "t&amp;\nu");
  EXPECT_EQ(reader.Next().kind, Event::Kind::EndElement);
  EXPECT_EQ(reader.Next().kind, Event::Kind::End);
}

TEST(XmlReaderTest, ReadsThroughItsBufferAcrossRefills) {
  std::string text = "<list>";
  for (int i = 0; i < 500; ++i) text += "<item n=\"" + std::to_string(i) + "\"/>\n";
  text += "</list>";
  Reader reader = Reader::FromMemory(text.data(), text.size());
  int items = 0;
  for (Event e = reader.Next(); e.kind != Event::Kind::End; e = reader.Next()) {
    if (e.kind == Event::Kind::StartElement && e.name == "item") {
      EXPECT_EQ(e.attributes.at(0).second, std::to_string(items++));
    }
  }
  EXPECT_EQ(items, 500);
  EXPECT_EQ(reader.Line(), 501u);
}

struct Bound {
  int32_t low = 5;
  bool flag = true;
  std::string name;
  int32_t mode = -1;
  double gain = 0;
  float ratio = 0;
  Rows rows = {Nested(
      "Config", {Integer("Low", low, 1, 10), Boolean("Flag", flag),
                 String("Name", name, 9).Attribute(), Enumeration("Mode", mode, {"off", "on"}),
                 Double("Gain", gain, 0, 2), Float("Ratio", ratio)})};
};

TEST(XmlBindingTest, ConvertsEachKindWithinItsLimits) {
  struct Case {
    const char* body;
    int32_t low;
    bool flag;
    int32_t mode;
    double gain;
  };
  const Case cases[] = {
      {"<Low>0</Low><Flag>TRUE</Flag><Mode>on</Mode><Gain>5</Gain>", 1, false, 1, 2},
      {"<Low>99</Low><Flag>true</Flag><Mode>sideways</Mode><Gain>-1</Gain>", 10, true, -1, 0},
      {"<Low>7 apples</Low><Flag>True</Flag><Mode>off</Mode><Gain>1.5</Gain>", 7, true, 0, 1.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    Bound bound;
    Reader::FromString(
        std::string("<?xml version=\"1.0\"?><!-- settings -->\n<Config Name='abc'>") + c.body +
        "<Other><Low>3</Low></Other><Ratio>0.25</Ratio></Config>")
        .Parse(bound.rows);
    EXPECT_EQ(bound.low, c.low);
    EXPECT_EQ(bound.flag, c.flag);
    EXPECT_EQ(bound.mode, c.mode);
    EXPECT_DOUBLE_EQ(bound.gain, c.gain);
    EXPECT_EQ(bound.name, "abc");
    EXPECT_FLOAT_EQ(bound.ratio, 0.25f);
  }
}

TEST(XmlBindingTest, ATextLongerThanItsFieldIsAnInvalidValue) {
  Bound bound;
  try {
    Reader::FromString("<Config Name='eight ch'>\n<Low>2</Low></Config><!-- fits -->")
        .Parse(bound.rows);
    Reader::FromString("<Config Name='nine char'/>").Parse(bound.rows);
    ADD_FAILURE() << "no fault";
  } catch (const ParseException& e) {
    EXPECT_EQ(e.Code(), INVALID_VALUE);
    EXPECT_EQ(bound.name, "eight ch");
    EXPECT_EQ(bound.low, 2);
  }
}

TEST(XmlWriterTest, IndentsOneTabPerLevel) {
  Writer writer;
  writer.Declaration("1.0", "US-ASCII", true);
  writer.OpenStartTag("Root");
  writer.Attribute("id", "7");
  writer.CloseStartTag();
  writer.StartElement("Child");
  writer.StartElement("Leaf", true);
  writer.Text("v");
  writer.EndElement(true);
  writer.EndElement();
  writer.EndElement();
  EXPECT_EQ(writer.Output(),
            "<?xml version=\"1.0\" encoding=\"US-ASCII\" standalone=\"yes\"?>\n"
            "<Root id=\"7\">\n\t<Child>\n\t\t<Leaf>v</Leaf>\n\t</Child>\n</Root>\n");
}

TEST(XmlWriterTest, RefusesValuesThatWouldNotReadBack) {
  Writer writer;
  writer.OpenStartTag("a");
  EXPECT_THROW(writer.Attribute("q", "say \"hi\""), TextError);
  writer.CloseStartTag(true);
  EXPECT_THROW(writer.Text("a<b"), TextError);
}

}  // namespace
}  // namespace admin::XML
