// The label objects: defaults, setters and their notification, copying, and the text label's
// element written to and read from text files (exact text, lenient reading, cut-off files).
#include "xan/xanbase/labels.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "xan/platform/exceptions.h"
#include "xan/univconst.h"

namespace xan {
namespace {

// Everything a label holds that a test can see, for comparing whole labels at once.
struct TLabelState {
  double PosX, PosY;
  int32_t Layer, XShadow, YShadow;
  TColor ColorShadow;
  TAlignment Alignment;
  TVerticalAlignment VertAlign;
  TTxtLblAttachMode AttachDat;
  TColor ColorBkg, ColorBrd;
  bool TransPar;
  String FontName;
  int32_t FontSize;
  TColor FontColor;
  TFontStyles FontStyle;
  String Caption;
  TTxtLblMode Mode;
  bool Visible;
  bool operator==(const TLabelState&) const = default;
  friend void PrintTo(const TLabelState& s, std::ostream* os) {
    *os << "{pos " << s.PosX << " " << s.PosY << ", layer " << s.Layer << ", shadow " << s.XShadow
        << " " << s.YShadow << " $" << std::hex << s.ColorShadow << ", bkg $" << s.ColorBkg
        << ", brd $" << s.ColorBrd << ", font colour $" << s.FontColor << std::dec << ", align "
        << int(s.Alignment) << " " << int(s.VertAlign) << ", attach " << int(s.AttachDat)
        << ", transparent " << s.TransPar << ", font \"" << ToUtf8(s.FontName) << "\" "
        << s.FontSize << " styles " << s.FontStyle.Count() << ", caption \"" << ToUtf8(s.Caption)
        << "\", mode " << int(s.Mode) << ", visible " << s.Visible << "}";
  }
};

TLabelState StateOf(const TCustomTextLabel& l) {
  return {l.PosX(),         l.PosY(),      l.Layer(),       l.XShadow(),     l.YShadow(),
          l.ColorShadow(),  l.Alignment(), l.VertAlign(),   l.AttachDat(),   l.ColorBkg(),
          l.ColorBrd(),     l.TransPar(),  l.Font().Name(), l.Font().Size(), l.Font().Color(),
          l.Font().Style(), l.Caption(),   l.Mode(),        l.Visible()};
}

// A label that differs from the default in every field.
void MakeDistinct(TCustomTextLabel& l) {
  l.SetTxtLblPosX(-1250.0);  // four significant digits: survives the file
  l.SetTxtLblPosY(0.0625);
  l.SetTxtLblLayer(7);
  l.SetTxtLblShadowDx(-3);
  l.SetTxtLblShadowDy(4);
  l.SetTxtLblColorShadow(0x112233);
  l.SetTxtLblAlignment(taRightJustify);
  l.SetTxtLblVertAlignment(vaTop);
  l.SetTxtLblScreenPos(tlamBoth);
  l.SetTxtLblColorBkg(0x445566);
  l.SetTxtLblColorBrd(0x778899);
  l.SetTxtLblTranspar(true);
  TFont font;
  font.SetName(u"Courier New");
  font.SetSize(14);
  font.SetColor(0x0000FF);
  font.SetStyle({fsItalic, fsStrikeOut});
  l.SetTxtLblFont(font);
  l.SetTxtLblCaption(u"Peak \u00e9 1");
  l.SetTxtLblMode(tlShadow);
  l.SetTxtLblVisible(false);
}

// The lines of a file split at CR LF (a last line without one included).
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// The long exponent form in 12 characters, made from std::to_chars' scientific form.
std::string LongExponent(double x) {
  char buf[64];
  const auto end = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 3).ptr;
  std::string s(buf, end);  // "-1.235e+03"
  const size_t e = s.find('e');
  std::string exponent = s.substr(e + 2);
  exponent.insert(0, 4 - exponent.size(), '0');
  const std::string mantissa = s.substr(0, e);
  return (mantissa[0] == '-' ? "" : " ") + mantissa + "E" + s[e + 1] + exponent;
}

class LabelFile : public xan::testing::TempDirTest {
 protected:
  // Writes the labels (each with its id) into a file and returns its bytes.
  std::string Write(const std::vector<std::pair<const TCustomTextLabel*, String>>& labels,
                    bool CreateHeader = false, int32_t Indent = 1) {
    TTextFile f(Path("labels.xml"), tfmRewrite);
    for (const auto& [label, id] : labels) label->WriteToOpenXMLFile(f, CreateHeader, id, Indent);
    f.Close();
    return ReadBytes("labels.xml");
  }
  // Reads a label from the given bytes.
  bool Read(const std::string& Bytes, TCustomTextLabel& Label, StringView DataID) {
    WriteBytes("in.xml", Bytes);
    TTextFile f(Path("in.xml"), tfmRead);
    return Label.ReadFromOpenXMLFile(f, DataID);
  }
};

// ================================================================================================
// Settings and notification

TEST(TextLabel, DefaultsAndSettersThatAlwaysNotify) {
  TCustomTextLabel l;
  const TFont defaultFont;
  EXPECT_EQ(StateOf(l),
            (TLabelState{100.0, 10.0, 1, 0, 0, 0x808080, taCenter, vaBottom, tlamNone, 0xC0C0C0, 0,
                         false, defaultFont.Name(), defaultFont.Size(), defaultFont.Color(),
                         defaultFont.Style(), u"", tlsimple, true}));
  int changes = 0;
  l.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++changes;
  });
  // Each setter, given the value the field already has, still notifies once.
  l.SetTxtLblPosX(100.0);
  l.SetTxtLblPosY(10.0);
  l.SetTxtLblShadowDx(0);
  l.SetTxtLblShadowDy(0);
  l.SetTxtLblColorShadow(0x808080);
  l.SetTxtLblAlignment(taCenter);
  l.SetTxtLblVertAlignment(vaBottom);
  l.SetTxtLblScreenPos(tlamNone);
  l.SetTxtLblColorBkg(0xC0C0C0);
  l.SetTxtLblColorBrd(0);
  l.SetTxtLblTranspar(false);
  l.SetTxtLblVisible(true);
  l.SetTxtLblMode(tlsimple);
  l.SetTxtLblFont(defaultFont);
  l.SetTxtLblCaption(u"");
  l.SetTxtLblLayer(1);
  EXPECT_EQ(changes, 16);
  changes = 0;
  MakeDistinct(l);
  EXPECT_EQ(changes, 16);
  EXPECT_EQ(l.Font().Name(), u"Courier New");
  EXPECT_EQ(l.Font().Size(), 14);
  EXPECT_EQ(l.Layer(), 7);
}

TEST(TextLabel, LayerAcceptsOneToSixteenOnly) {
  TCustomTextLabel l;
  int changes = 0;
  l.SetOnChange([&](TObject*) { ++changes; });
  for (int32_t layer : {-1, 0, 1, 2, 16, 17, 1000, INT32_MIN, INT32_MAX}) {
    const int32_t before = l.Layer();
    changes = 0;
    l.SetTxtLblLayer(layer);
    const bool accepted = layer >= 1 && layer <= 16;
    EXPECT_EQ(l.Layer(), accepted ? layer : before) << layer;
    EXPECT_EQ(changes, accepted ? 1 : 0) << layer;
  }
}

TEST(TextLabel, CaptionControlCharactersBecomeBlanksExceptLineFeed) {
  TCustomTextLabel l;
  l.SetTxtLblCaption(u"a\tb");
  EXPECT_EQ(l.Caption(), u"a b");
  l.SetTxtLblCaption(u"a\nb");
  EXPECT_EQ(l.Caption(), u"a\nb");
  String all;
  for (Char c = 0; c < 0x100; ++c) all += c;
  l.SetTxtLblCaption(all);
  ASSERT_EQ(l.Caption().size(), all.size()) << "the caption keeps its length, U+0000 included";
  for (Char c = 0; c < 0x100; ++c) {
    const Char expected = c < 0x20 && c != u'\n' ? u' ' : c;
    EXPECT_EQ(l.Caption()[c], expected) << int(c);
  }
}

TEST(DTLabel, DefaultsAndWhenSettersNotify) {
  TDTLabel d;
  EXPECT_EQ(d.TimeFormat(), tfHHMMSS);
  EXPECT_EQ(d.DateSeparator(), u'.');
  EXPECT_EQ(d.TimeSeparator(), u':');
  EXPECT_EQ(d.YearLength(), ylYYYY);
  EXPECT_FALSE(d.MonthName());
  EXPECT_EQ(d.DateOrder(), doYYMMDD);
  EXPECT_EQ(d.DateForTime(), dtOnePerChart);
  int changes = 0;
  d.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &d);
    ++changes;
  });
  // Always: the time format and the date order.
  d.SetTimeFormat(tfHHMMSS);
  d.SetDAteOrder(doYYMMDD);
  EXPECT_EQ(changes, 2);
  // Only on a change: the others.
  changes = 0;
  d.SetDateSeparator(u'.');
  d.SetTimeSeparator(u':');
  d.SetYearLength(ylYYYY);
  d.SetMonthName(false);
  d.SetDateForTime(dtOnePerChart);
  EXPECT_EQ(changes, 0);
  d.SetDateSeparator(u'/');
  d.SetTimeSeparator(u'h');
  d.SetYearLength(ylYY);
  d.SetMonthName(true);
  d.SetDateForTime(dtAllTicks);
  d.SetTimeFormat(tfAMPM);
  d.SetDateOrder(doDDMMYY);
  EXPECT_EQ(changes, 7);
  EXPECT_EQ(d.DateSeparator(), u'/');
  EXPECT_EQ(d.TimeSeparator(), u'h');
  EXPECT_EQ(d.YearLength(), ylYY);
  EXPECT_TRUE(d.MonthName());
  EXPECT_EQ(d.DateForTime(), dtAllTicks);
  EXPECT_EQ(d.TimeFormat(), tfAMPM);
  EXPECT_EQ(d.DateOrder(), doDDMMYY);
}

TEST(CrossHair, StartsAtZeroLayerClampsAndSetPosNotifiesOnChangeOnly) {
  TCrossHair c;
  EXPECT_EQ(c.PosX(), 0.0);
  EXPECT_EQ(c.PosY(), 0.0);
  EXPECT_EQ(c.Color(), 0U);
  EXPECT_EQ(c.Layer(), 0);
  EXPECT_EQ(c.Mode(), chOff);
  EXPECT_EQ(c.LineType(), psSolid);
  EXPECT_EQ(c.LineWid(), 0);
  int changes = 0;
  c.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &c);
    ++changes;
  });
  for (int32_t layer : {INT32_MIN, -1, 0, 1, 2, 3, 5, INT32_MAX}) {
    changes = 0;
    c.SetCrossHLayer(layer);
    EXPECT_EQ(c.Layer(), layer < 1 ? 1 : layer > 2 ? 2 : layer) << layer;
    EXPECT_EQ(changes, 1) << layer;
  }
  changes = 0;
  c.SetCrossHPosX(0);
  c.SetCrossHPosY(0);
  c.SetCrossHColor(0);
  c.SetCrossHMode(chOff);
  c.SetCrossHLineType(psSolid);
  c.SetCrossHLineWid(0);
  EXPECT_EQ(changes, 6) << "these notify even without a change";
  changes = 0;
  c.SetPos(0, 0);
  EXPECT_EQ(changes, 0);
  c.SetPos(1.5, 0);
  c.SetPos(1.5, -2);
  c.SetPos(1.5, -2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(c.PosX(), 1.5);
  EXPECT_EQ(c.PosY(), -2.0);
}

// ================================================================================================
// Copying

TEST(Labels, AssignCopiesEverythingWithoutNotifying) {
  TCustomTextLabel a, b;
  MakeDistinct(a);
  int changesOfA = 0;
  a.SetOnChange([&](TObject*) { ++changesOfA; });
  int changesOfB = 0;
  b.SetOnChange([&](TObject*) { ++changesOfB; });
  const TFont* fontOfB = &b.Font();
  b.Assign(a);
  EXPECT_EQ(changesOfB, 0);
  EXPECT_EQ(StateOf(b), StateOf(a));
  EXPECT_EQ(&b.Font(), fontOfB) << "b keeps its own font object";
  b.SetTxtLblPosX(1);  // b now carries a's callback
  EXPECT_EQ(changesOfA, 1);
  EXPECT_EQ(changesOfB, 0);
  TCustomTextLabel c;
  a.AssignTo(c);
  EXPECT_EQ(StateOf(c), StateOf(a));
  c.Assign(c);
  EXPECT_EQ(StateOf(c), StateOf(a));

  TDTLabel d1, d2;
  d1.SetTimeFormat(tfHHhMM);
  d1.SetDateSeparator(u'-');
  d1.SetTimeSeparator(u'.');
  d1.SetYearLength(ylNone);
  d1.SetMonthName(true);
  d1.SetDateOrder(doMMDDYY);
  d1.SetDateForTime(dtOnePerDay);
  int changesOfD1 = 0;
  d1.SetOnChange([&](TObject*) { ++changesOfD1; });
  d2.Assign(d1);
  EXPECT_EQ(changesOfD1, 0);
  EXPECT_EQ(d2.TimeFormat(), tfHHhMM);
  EXPECT_EQ(d2.DateSeparator(), u'-');
  EXPECT_EQ(d2.TimeSeparator(), u'.');
  EXPECT_EQ(d2.YearLength(), ylNone);
  EXPECT_TRUE(d2.MonthName());
  EXPECT_EQ(d2.DateOrder(), doMMDDYY);
  EXPECT_EQ(d2.DateForTime(), dtOnePerDay);
  d2.SetTimeFormat(tfAMPM);
  EXPECT_EQ(changesOfD1, 1) << "the callback was copied";

  TCrossHair h1, h2;
  h1.SetPos(3, 4);
  h1.SetCrossHColor(0xABCDEF);
  h1.SetCrossHMode(chCrossBox);
  h1.SetCrossHLineType(psDashDot);
  h1.SetCrossHLineWid(3);
  h1.SetCrossHLayer(2);
  h1.AssignTo(h2);
  EXPECT_EQ(h2.PosX(), 3.0);
  EXPECT_EQ(h2.PosY(), 4.0);
  EXPECT_EQ(h2.Color(), 0xABCDEFU);
  EXPECT_EQ(h2.Mode(), chCrossBox);
  EXPECT_EQ(h2.LineType(), psDashDot);
  EXPECT_EQ(h2.LineWid(), 3);
  EXPECT_EQ(h2.Layer(), 2);

  // Between unrelated classes the copy is refused.
  EXPECT_THROW(a.Assign(d1), EConvertError);
  EXPECT_THROW(d1.Assign(h1), EConvertError);
  EXPECT_THROW(h1.AssignTo(a), EConvertError);
  TFont font;
  EXPECT_THROW(a.AssignTo(font), EConvertError);
}

// ================================================================================================
// The written element

// The default label's element, line by line as documented, with the indentation `in`.
std::vector<std::string> DefaultElement(const std::string& in, bool header, const std::string& id) {
  const TFont font;
  std::vector<std::string> lines;
  if (header) lines.push_back(in + "<?xml version=\"1.0\"?>");
  lines.push_back("");
  lines.push_back(in + "<!-- TCustomTextLabel / XAN Component Suite -->");
  lines.push_back(in + "<custtextlbl sig=\"XANDUroze\" vers=\"1.0\" id=\"" + id + "\">");
  lines.push_back(in + "  <posxy x= 1.000E+0002 y= 1.000E+0001 />");
  lines.push_back(in + "  <caption></caption>");
  lines.push_back(in + "  <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />");
  lines.push_back(in + "  <shadowofs dx=0 dy=0 />");
  lines.push_back(in + "  <layer val=1 />");
  lines.push_back(in + "  <transparent val=0 />");
  lines.push_back(in + "  <visible val=1 />");
  lines.push_back(in + "  <alignment horiz=taCenter vert=vaBottom />");
  lines.push_back(in + "  <attachmode val=tlamNone />");
  lines.push_back(in + "  <font name=\"" + ToUtf8(font.Name()) +
                  "\" size=" + std::to_string(font.Size()) + " color=$000000 style=\"\" />");
  lines.push_back(in + "  <style val=tlsimple />");
  lines.push_back(in + "</custtextlbl>");
  return lines;
}

TEST_F(LabelFile, DefaultElementIsWrittenExactlyForEveryIndentAndHeader) {
  const TCustomTextLabel l;
  struct Case {
    int32_t Indent;
    size_t Blanks;
  };
  for (const Case c : {Case{0, 1}, Case{-7, 1}, Case{1, 1}, Case{4, 4}, Case{255, 255},
                       Case{256, 255}, Case{INT32_MAX, 255}}) {
    for (const bool header : {false, true}) {
      const std::string bytes = Write({{&l, u"Chart 1"}}, header, c.Indent);
      EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "every line ends with CR LF";
      const auto lines = Lines(bytes);
      const auto expected = DefaultElement(std::string(c.Blanks, ' '), header, "Chart 1");
      ASSERT_EQ(lines.size(), expected.size()) << c.Indent << " " << header;
      for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], expected[i]) << "indent " << c.Indent << ", line " << i;
      }
    }
  }
}

TEST_F(LabelFile, WrittenNumbersColoursAndFont) {
  TCustomTextLabel l;
  // Positions in the long exponent form, compared with std::to_chars' rounding of the same value.
  for (const double x : {100.0, -0.5, 0.0, 1234.5678, 1234.5, 98765.0, -9.9996e10, 1e-300,
                         6.02214076e23, 5e-324, 1.7e308, 0.00012345}) {
    l.SetTxtLblPosX(x);
    l.SetTxtLblPosY(-x);
    const auto lines = Lines(Write({{&l, u""}}));
    const std::string y = x == 0 ? LongExponent(0) : LongExponent(-x);
    EXPECT_EQ(lines[3], "   <posxy x=" + LongExponent(x) + " y=" + y + " />") << x;
  }
  // Only the low 24 bits of a colour are written; font styles in their fixed order.
  l.SetTxtLblColorBrd(0xFF0000FF);
  l.SetTxtLblColorBkg(0x80ABCDEF);
  l.SetTxtLblColorShadow(0x01000010);
  l.SetTxtLblShadowDx(-12);
  l.SetTxtLblShadowDy(2147483647);
  l.SetTxtLblTranspar(true);
  l.SetTxtLblVisible(false);
  l.SetTxtLblAlignment(taLeftJustify);
  l.SetTxtLblVertAlignment(vaCenter);
  l.SetTxtLblScreenPos(tlamYOnly);
  l.SetTxtLblMode(tlUnderline);
  TFont font;
  font.SetName(u"DejaVu Sans");
  font.SetSize(11);
  font.SetColor(0xFF00FF00);
  font.SetStyle({fsStrikeOut, fsBold, fsUnderline});
  l.SetTxtLblFont(font);
  const auto lines = Lines(Write({{&l, u"x"}}));
  EXPECT_EQ(lines[5], "   <colors brd=$0000FF bg=$ABCDEF shdw=$000010 />");
  EXPECT_EQ(lines[6], "   <shadowofs dx=-12 dy=2147483647 />");
  EXPECT_EQ(lines[8], "   <transparent val=1 />");
  EXPECT_EQ(lines[9], "   <visible val=0 />");
  EXPECT_EQ(lines[10], "   <alignment horiz=taLeftJustify vert=vaCenter />");
  EXPECT_EQ(lines[11], "   <attachmode val=tlamYOnly />");
  EXPECT_EQ(lines[12],
            "   <font name=\"DejaVu Sans\" size=11 color=$00FF00 style=\"fsBold fsUnderline "
            "fsStrikeOut\" />");
  EXPECT_EQ(lines[13], "   <style val=tlUnderline />");
}

TEST_F(LabelFile, WritingToAFileOpenForReadingRaises) {
  WriteBytes("r.xml", "");
  TTextFile f(Path("r.xml"), tfmRead);
  const TCustomTextLabel l;
  EXPECT_THROW(l.WriteToOpenXMLFile(f, true, u"A", 1), EInOutError);
  TTextFile w(Path("w.xml"), tfmRewrite);
  TCustomTextLabel r;
  EXPECT_THROW(r.ReadFromOpenXMLFile(w, u""), EInOutError);
}

// ================================================================================================
// Reading

TEST_F(LabelFile, WrittenLabelReadsBackExceptAttachmentFontAndMode) {
  TCustomTextLabel source;
  MakeDistinct(source);
  source.SetTxtLblColorBkg(0xFF123456);  // a system-colour code: comes back as plain RGB
  const std::string bytes = Write({{&source, u"L1"}}, true, 3);
  TCustomTextLabel back;
  int changes = 0;
  back.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &back);
    ++changes;
  });
  ASSERT_TRUE(Read(bytes, back, u"L1"));
  EXPECT_EQ(changes, 1);
  TLabelState expected = StateOf(source);
  const TCustomTextLabel fresh;
  expected.ColorBkg = 0x123456;
  expected.AttachDat = fresh.AttachDat();
  expected.FontName = fresh.Font().Name();
  expected.FontSize = fresh.Font().Size();
  expected.FontColor = fresh.Font().Color();
  expected.FontStyle = fresh.Font().Style();
  expected.Mode = fresh.Mode();
  EXPECT_EQ(StateOf(back), expected);
}

TEST_F(LabelFile, LabelsAreFoundByIdentifierInAnyCaseAndInTurn) {
  TCustomTextLabel a, b, c;
  a.SetTxtLblCaption(u"first");
  b.SetTxtLblCaption(u"second");
  c.SetTxtLblCaption(u"third");
  const std::string bytes = Write({{&a, u"A"}, {&b, u"B"}, {&c, u"  Third "}});
  TCustomTextLabel l;
  ASSERT_TRUE(Read(bytes, l, u"b"));
  EXPECT_EQ(l.Caption(), u"second");
  ASSERT_TRUE(Read(bytes, l, u""));
  EXPECT_EQ(l.Caption(), u"first");
  ASSERT_TRUE(Read(bytes, l, u"THIRD"));
  EXPECT_EQ(l.Caption(), u"third");
  ASSERT_TRUE(Read(bytes, l, u"  Third ")) << "the identifier it was written with finds it";
  EXPECT_EQ(l.Caption(), u"third");

  // One pass over the file: each call continues where the last one ended.
  WriteBytes("in.xml", bytes);
  TTextFile f(Path("in.xml"), tfmRead);
  for (const StringView caption : {u"first", u"second", u"third"}) {
    ASSERT_TRUE(l.ReadFromOpenXMLFile(f, u"")) << ToUtf8(caption);
    EXPECT_EQ(l.Caption(), caption);
  }
  EXPECT_FALSE(l.ReadFromOpenXMLFile(f, u""));
  f.Rewind();
  ASSERT_TRUE(l.ReadFromOpenXMLFile(f, u"a"));
  ASSERT_TRUE(l.ReadFromOpenXMLFile(f, u"third")) << "B is passed over";
  EXPECT_EQ(l.Caption(), u"third");

  // An identifier that is not there: false, and the label keeps what it had.
  MakeDistinct(l);
  const TLabelState before = StateOf(l);
  int changes = 0;
  l.SetOnChange([&](TObject*) { ++changes; });
  EXPECT_FALSE(Read(bytes, l, u"C"));
  EXPECT_FALSE(Read("", l, u""));
  EXPECT_FALSE(Read("<custtextlbl sig=\"XANDUroze\">\r\n</custtextlbl>", l, u"x"))
      << "a line without id= does not match an identifier";
  EXPECT_FALSE(Read("<custtextlbl sig=\"other\" id=\"x\">\r\n</custtextlbl>", l, u"x"));
  EXPECT_EQ(StateOf(l), before);
  EXPECT_EQ(changes, 0);
}

TEST_F(LabelFile, ReadingIsLenient) {
  // Hand-written elements: numbers with a decimal comma and other forms, values that are not
  // numbers, missing attributes, unknown keywords and elements, quoted values, upper case.
  const std::string text =
      "junk before\r\n"
      "<CUSTTEXTLBL SIG=\"xanDUROZE\" ID=\" Hand \"> <!-- a comment -->\n"
      "<posxy x=1,5 y=  -2.5e1xyz />"
      "<unknown a=1>ignored</unknown>\r"
      "  <Colors BRD=\"$ff\" bg=abcdefg />\r\n"
      "  <shadowofs dx=+17 />\r\n"
      "  <layer val=99 />\r\n"
      "  <transparent val=2 />\r\n"
      "  <visible val=\"1\" />\r\n"
      "  <alignment horiz=taRightJustify vert=vabottom />\r\n"
      "  <attachmode val=tlamBoth />\r\n"
      "  <font name=\"Courier\" size=30 color=$FF style=\"fsBold\" />\r\n"
      "  <style val=tlOff />\r\n"
      "  <caption>R&D,\r\ntwo lines</caption>\r\n"
      "</CustTextLbl>\r\n";
  TCustomTextLabel l;
  l.SetTxtLblVertAlignment(vaTop);
  l.SetTxtLblShadowDy(5);
  ASSERT_TRUE(Read(text, l, u"HAND"));
  EXPECT_EQ(l.PosX(), 1.5);
  EXPECT_EQ(l.PosY(), -25.0);
  EXPECT_EQ(l.ColorBrd(), 0xFFU);
  EXPECT_EQ(l.ColorBkg(), 0xABCDEFU);
  EXPECT_EQ(l.ColorShadow(), 0U) << "missing attribute";
  EXPECT_EQ(l.XShadow(), 17);
  EXPECT_EQ(l.YShadow(), 0) << "missing attribute";
  EXPECT_EQ(l.Layer(), 99) << "stored without the setter's check";
  EXPECT_FALSE(l.TransPar()) << "only 1 is true";
  EXPECT_TRUE(l.Visible());
  EXPECT_EQ(l.Alignment(), taRightJustify);
  EXPECT_EQ(l.VertAlign(), vaTop) << "keywords are case-sensitive";
  EXPECT_EQ(l.AttachDat(), tlamNone);
  EXPECT_EQ(l.Font().Name(), TFont().Name());
  EXPECT_EQ(l.Mode(), tlsimple);
  EXPECT_EQ(l.Caption(), u"R&D,\r\ntwo lines") << "stored as it stands";

  // Numbers: each case is one posxy element, read into x.
  struct NumberCase {
    const char* Value;
    double Expected;
  };
  const double max = static_cast<double>(uc_MaxDouble);
  for (const NumberCase c : {NumberCase{"1,5", 1.5},
                             {"-0.25", -0.25},
                             {"+3", 3},
                             {".5", 0.5},
                             {"7.", 7},
                             {"2E3", 2000},
                             {"2e-3", 0.002},
                             {"2e", 2},
                             {"2e+", 2},
                             {"1.5.5", 1.5},
                             {"abc", 0},
                             {"-", 0},
                             {".", 0},
                             {"\"\"", 0},
                             {"\"  4\"", 4},
                             {"1e400", max},
                             {"-1e400", -max},
                             {"1.79e308", max},
                             {"1e-400", 0},
                             {"1e99999999999", max},
                             {"0.000000000000000000001e-279", 1e-300}}) {
    TCustomTextLabel n;
    const std::string element = "<custtextlbl sig=xanduroze>\r\n<posxy x=" + std::string(c.Value) +
                                " y=1 />\r\n</custtextlbl>\r\n";
    ASSERT_TRUE(Read(element, n, u"")) << c.Value;
    EXPECT_EQ(n.PosX(), c.Expected) << c.Value;
    EXPECT_EQ(n.PosY(), 1.0) << c.Value;
  }

  // Attribute pairs end at the first malformed one.
  struct PairCase {
    const char* Attributes;
    int32_t Dx, Dy;
  };
  for (const PairCase c : {PairCase{"dx=1 dy=2", 1, 2},
                           {"dy = 2   dx=  1", 1, 2},
                           {"dx=\"1 = 3\" dy=2", 1, 2},
                           {"dx=1 d\"y=2", 1, 0},
                           {"dx==1 dy=2", 0, 0},
                           {"dx=1=1 dy=2", 0, 0},
                           {"dx dy=2", 0, 2},
                           {"dx=1\"dy=2", 1, 0},
                           {"dx=99999999999 dy=-99999999999", INT32_MAX, INT32_MIN}}) {
    TCustomTextLabel n;
    const std::string element = "<custtextlbl sig=xanduroze>\r\n<shadowofs " +
                                std::string(c.Attributes) + " />\r\n</custtextlbl>\r\n";
    ASSERT_TRUE(Read(element, n, u"")) << c.Attributes;
    EXPECT_EQ(n.XShadow(), c.Dx) << c.Attributes;
    EXPECT_EQ(n.YShadow(), c.Dy) << c.Attributes;
  }
}

TEST_F(LabelFile, CaptionsWithMarkupCharactersSurvive) {
  TCustomTextLabel l;
  for (const StringView caption :
       {StringView(u"a<b>c"), StringView(u"</caption>"), StringView(u"&lt; &gt; &amp; &x; &"),
        StringView(u"&&lt;<&amp;lt;>"), StringView(u"x\ny"), StringView(u"")}) {
    l.SetTxtLblCaption(caption);
    l.SetTxtLblColorBrd(0x123456);
    const std::string bytes = Write({{&l, u"c"}});
    TCustomTextLabel back;
    ASSERT_TRUE(Read(bytes, back, u"c")) << ToUtf8(caption);
    EXPECT_EQ(back.Caption(), caption);
    EXPECT_EQ(back.ColorBrd(), 0x123456U) << "the elements after the caption are still read";
  }
  // A caption without markup characters is written as it stands.
  l.SetTxtLblCaption(u"R&D <a>");
  EXPECT_EQ(Lines(Write({{&l, u"c"}}))[4], "   <caption>R&D &lt;a&gt;</caption>");
  l.SetTxtLblCaption(u"R&D; &amp");
  EXPECT_EQ(Lines(Write({{&l, u"c"}}))[4], "   <caption>R&D; &amp</caption>");
}

TEST_F(LabelFile, CutOffElementGivesFalseAndLeavesTheLabelAlone) {
  TCustomTextLabel source;
  MakeDistinct(source);
  source.SetTxtLblCaption(u"a<b");
  const std::string bytes = Write({{&source, u"Cut"}}, true, 2);
  const size_t closed = bytes.find("</custtextlbl>") + std::string("</custtextlbl>").size();
  TCustomTextLabel complete;
  ASSERT_TRUE(Read(bytes, complete, u""));
  for (size_t n = 0; n <= bytes.size(); ++n) {
    TCustomTextLabel l;
    int changes = 0;
    l.SetOnChange([&](TObject*) { ++changes; });
    const bool found = Read(bytes.substr(0, n), l, n % 2 == 0 ? u"cut" : u"");
    EXPECT_EQ(found, n >= closed) << "cut after " << n << " bytes";
    EXPECT_EQ(StateOf(l), found ? StateOf(complete) : StateOf(TCustomTextLabel()))
        << "cut after " << n << " bytes";
    EXPECT_EQ(changes, found ? 1 : 0) << "cut after " << n << " bytes";
  }
}

}  // namespace
}  // namespace xan
