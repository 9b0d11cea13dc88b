// Tour section: streams, typed values and lines on them, number scanning and tag scanning.
#include <iostream>

#include "tour.h"
#include "xan/streams.h"

void tour::Streams() {
  using namespace xan;
  Heading("Streams: values, lines, numbers and tags");

  // Write a line and two binary values, then read them back in the same order.
  TMemoryStream s;
  WriteLnStream(s, u"header");
  WriteLongintToStream(s, -2);
  WriteDoubleToStream(s, 0.5);
  s.SetPosition(0);
  bool end = false;
  bool error = false;
  Show("ReadLnStream", ReadLnStream(s, end, 0));
  const int32_t i = ReadLongintFromStream(s, error);
  const double d = ReadDoubleFromStream(s, error);
  std::cout << "  then " << i << " and " << d << " (" << s.Size() << " bytes in all)\n";

  // Numbers written as text.
  TStringStream numbers(u"  -12.5e3 42");
  std::cout << "  ScanStreamFPNum(\"  -12.5e3 42\") => " << ScanStreamFPNum(numbers, true, 1)
            << ", then ScanStreamDecimal => " << ScanStreamDecimal(numbers) << "\n";

  // The next tag of an XML-like text, and one attribute of it.
  TStringStream xml(u"<!-- note --><Item ID=\"3\" size=\"20 px\">Text <b>x</b></ITEM>tail");
  String attributes;
  String content;
  const int32_t index = ReadNextTagInStream(xml, {u"item", u"b"}, attributes, content);
  std::cout << "  ReadNextTagInStream => tag " << index << "\n";
  Show("attributes", attributes);
  Show("content", content);
  Show("ScanForXMLAttrib(attributes, \"SIZE\")", ScanForXMLAttrib(attributes, u"SIZE"));
}
