// The label objects of client chart components: a text label at a world position with its XML-like
// element in an open text file (TCustomTextLabel), date/time label settings and a cross-hair.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/graphics.h"
#include "xan/platform/strings.h"
#include "xan/platform/textfile.h"
#include "xan/platform/types.h"
#include "xan/xanbase.h"

namespace xan {

// ================================================================================================
// TCustomTextLabel
//
// The settings of a text label: position, layer, shadow, colours, alignment, attachment, font,
// caption, mode and visibility. It draws nothing itself; a client component draws it and
// descendants read the fields directly (the accessors below are for everyone else). The
// setters store their value and then call Changed(), which calls OnChange(this) when a callback
// is set; Assign and ReadFromOpenXMLFile store without the setters' checks.
//
// The label element, as WriteToOpenXMLFile writes it (Indent 1, CreateHeader false, DataID
// "A", default settings; every line but the empty one starts with the indentation, every line
// ends with CR LF):
//
//   (empty line)
//    <!-- TCustomTextLabel / XAN Component Suite -->
//    <custtextlbl sig="XANDUroze" vers="1.0" id="A">
//      <posxy x= 1.000E+0002 y= 1.000E+0001 />
//      <caption></caption>
//      <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />
//      <shadowofs dx=0 dy=0 />
//      <layer val=1 />
//      <transparent val=0 />
//      <visible val=1 />
//      <alignment horiz=taCenter vert=vaBottom />
//      <attachmode val=tlamNone />
//      <font name="Arial" size=8 color=$000000 style="" />
//      <style val=tlsimple />
//    </custtextlbl>
//
// With CreateHeader true the indented line <?xml version="1.0"?> comes before the empty line.
// Positions are in the long exponent form (sign place, 4 significant digits, 4 exponent digits);
// colours are the low 24 bits as 6 upper-case hexadecimal digits; font styles are listed as
// "fsBold fsItalic fsUnderline fsStrikeOut" (those that are set, in that order).
//
// Caption text: "<" is written as "&lt;" and ">" as "&gt;", and an "&" that would otherwise
// start one of "&lt;", "&gt;" or "&amp;" as "&amp;"; the reader turns those three back. Every
// caption thus survives writing and reading, and a caption without "<", ">" and those three
// sequences is written exactly as it stands. Characters outside the ANSI code page become "?"
// in the file, as in every text file.
class XAN_EXPORT TCustomTextLabel : public TPersistent {
 public:
  // A label at (100, 10) on layer 1: no shadow offset, grey shadow, centred horizontally, at the
  // bottom vertically, not attached, silver background, black border, opaque, the platform's
  // default font, empty caption, mode tlsimple, visible, no OnChange.
  TCustomTextLabel();
  ~TCustomTextLabel() override;

  // ----------------------------------------------------------------------------------------------
  // Copying and notification

  // From another TCustomTextLabel (or a descendant): every field, OnChange included; the font by
  // the font's own Assign (the label keeps its own font object). No notification. Any other
  // source is asked to copy itself (TPersistent::Assign), raising EConvertError when it cannot.
  void Assign(const TPersistent& Source) override;
  // Into another TCustomTextLabel: Dest.Assign(*this); other destinations as
  // TPersistent::AssignTo (EConvertError).
  void AssignTo(TPersistent& Dest) const override;

  // Calls OnChange(this) when a callback is set.
  void Changed();
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

  // ----------------------------------------------------------------------------------------------
  // Settings: each setter stores its value, then calls Changed(), even when the value is the same.

  void SetTxtLblPosX(double Value);
  void SetTxtLblPosY(double Value);
  // Layers 1..16 only: any other value is ignored, without notification.
  //   SetTxtLblLayer(16) => Layer() 16, OnChange;  SetTxtLblLayer(17), (0) => nothing
  void SetTxtLblLayer(int32_t Value);
  void SetTxtLblShadowDx(int32_t Value);
  void SetTxtLblShadowDy(int32_t Value);
  void SetTxtLblColorShadow(TColor Value);
  void SetTxtLblAlignment(TAlignment Value);
  void SetTxtLblVertAlignment(TVerticalAlignment Value);
  // The attachment mode (FAttachDat).
  void SetTxtLblScreenPos(TTxtLblAttachMode Value);
  void SetTxtLblColorBkg(TColor Value);
  void SetTxtLblColorBrd(TColor Value);
  void SetTxtLblTranspar(bool Value);
  void SetTxtLblVisible(bool Value);
  void SetTxtLblMode(TTxtLblMode Value);
  // Copies Value into the label's own font with the font's Assign, then Changed().
  void SetTxtLblFont(const TFont& Value);
  // Every character below U+0020 except line feed becomes a blank.
  //   u"a\tb" => u"a b",  u"a\nb" => u"a\nb",  u"a\rb\x01" => u"a b "
  void SetTxtLblCaption(StringView Value);

  // ----------------------------------------------------------------------------------------------
  // Reading the fields

  double PosX() const noexcept { return FPosX; }
  double PosY() const noexcept { return FPosY; }
  int32_t Layer() const noexcept { return FLayer; }
  int32_t XShadow() const noexcept { return FXShadow; }
  int32_t YShadow() const noexcept { return FYShadow; }
  TColor ColorShadow() const noexcept { return FColorShadow; }
  TAlignment Alignment() const noexcept { return FAlignment; }
  TVerticalAlignment VertAlign() const noexcept { return FVertAlign; }
  TTxtLblAttachMode AttachDat() const noexcept { return FAttachDat; }
  TColor ColorBkg() const noexcept { return FColorBkg; }
  TColor ColorBrd() const noexcept { return FColorBrd; }
  bool TransPar() const noexcept { return FTransPar; }
  const TFont& Font() const noexcept { return *FFont; }
  const String& Caption() const noexcept { return FCaption; }
  TTxtLblMode Mode() const noexcept { return FMode; }
  bool Visible() const noexcept { return FVisible; }

  // ----------------------------------------------------------------------------------------------
  // The label element in an open text file

  // Writes the label's element (layout above) at the file's current position, the header line
  // first when CreateHeader is true. Indent blanks start each line, Indent clamped to 1..255
  // (0 or less gives one blank). DataID is written as it stands into id="...". An enumeration
  // value outside its keyword table is written as an empty keyword. Raises EInOutError when the
  // file is not open for writing or a write fails; the lines written so far stay in the file.
  //   Indent 0 or 1 => " <custtextlbl ...",  Indent 3 => "   <custtextlbl ..."
  //   FPosX 100 => "x= 1.000E+0002",  -0.5 => "x=-5.000E-0001",  FColorBrd $FF123456 => "$123456"
  void WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, StringView DataID,
                          int32_t Indent) const;

  // Searches the file from its current position for a label element and reads it into the label.
  //
  // Search: whole lines are read; an element starts at the first line that, with "A".."Z"
  // lowered, contains "<custtextlbl" and "xanduroze", and, when DataID is not empty, carries
  // id="..." whose text (up to the next double quote or the end of the line, blanks trimmed)
  // equals DataID (blanks trimmed) without regard to "A".."Z" case. Reading goes on with the
  // next line: the rest of the opening line is passed over.
  //
  // Elements: posxy (x, y: decimal numbers with "." or "," as the separator, clamped to
  // +-uc_MaxDouble, 0 when not a number), colors (brd, bg, shdw: hexadecimal, an optional "$"
  // first), shadowofs (dx, dy), layer (val), transparent and visible (val: true exactly when 1),
  // alignment (horiz, vert: keywords; an unknown one keeps the field), caption (the content up
  // to "</"). A missing attribute reads as 0 (false). attachmode, font, style and unknown
  // elements are passed over: the attachment mode, font and mode are not restored. Values are
  // stored as read, without the setters' checks ("<layer val=99 />" gives layer 99).
  //
  // At "</custtextlbl>" the characters after it up to and including the next ">" are consumed
  // too (in a file of several labels written by WriteToOpenXMLFile, the rest of the next label's
  // comment line, so that the next call finds the next label); the values read are stored,
  // Changed() is called once and the result is true.
  //
  // False, with the label unchanged and no notification, when no element is found or the file
  // ends before "</custtextlbl>" is complete (a damaged or cut-off file): the values are taken
  // into the label only when its closing tag has been read. Raises EInOutError when the file is
  // not open for reading or a read fails.
  //   "<posxy x=1,5 y= 2.5E+0001 />" => (1.5, 25)   "<layer val=x />" => layer 0
  //   "<alignment horiz=taRightJustify vert=Top />" => taRightJustify, vertical unchanged
  bool ReadFromOpenXMLFile(TTextFile& TextFile, StringView DataID);

 protected:
  double FPosX = 100.0;
  double FPosY = 10.0;
  int32_t FLayer = 1;
  int32_t FXShadow = 0;
  int32_t FYShadow = 0;
  TColor FColorShadow = 0x808080;  // grey
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVertAlign = vaBottom;
  TTxtLblAttachMode FAttachDat = tlamNone;
  TColor FColorBkg = 0xC0C0C0;  // silver
  TColor FColorBrd = 0;         // black
  bool FTransPar = false;
  std::unique_ptr<TFont> FFont;  // owned, never null
  String FCaption;
  TTxtLblMode FMode = tlsimple;
  TNotifyEvent FOnChange;
  bool FVisible = true;
};

// ================================================================================================
// TDTLabel
//
// How the labels of a date/time axis are formatted. Default: tfHHMMSS, "." between date parts,
// ":" between time parts, four-digit years, month numbers (not names), year-month-day order and
// one date per chart.

class XAN_EXPORT TDTLabel : public TPersistent {
 public:
  TDTLabel() = default;
  // Clears OnChange.
  ~TDTLabel() override;

  // From another TDTLabel (or a descendant): every setting and OnChange, no notification. Other
  // sources as TPersistent::Assign (EConvertError when they cannot copy themselves).
  void Assign(const TPersistent& Source) override;
  // Into another TDTLabel: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  // Calls OnChange(this) when a callback is set.
  void Changed();
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

  TTimeFormat TimeFormat() const noexcept { return FTimeFormat; }
  Char DateSeparator() const noexcept { return FDateSeparator; }
  Char TimeSeparator() const noexcept { return FTimeSeparator; }
  TYearLength YearLength() const noexcept { return FYearLength; }
  bool MonthName() const noexcept { return FMonthName; }
  TDateOrder DateOrder() const noexcept { return FDateOrder; }
  TDateForTime DateForTime() const noexcept { return FDateForTime; }

  // Store, then Changed(), always.
  void SetTimeFormat(TTimeFormat Value);
  void SetDAteOrder(TDateOrder Value);
  // The same as SetDAteOrder, spelled like the other setters.
  void SetDateOrder(TDateOrder Value) { SetDAteOrder(Value); }
  // Only when the value differs: store, then Changed().
  void SetDateSeparator(Char Value);
  void SetTimeSeparator(Char Value);
  void SetYearLength(TYearLength Value);
  void SetMonthName(bool Value);
  void SetDateForTime(TDateForTime Value);

 private:
  TTimeFormat FTimeFormat = tfHHMMSS;
  Char FDateSeparator = u'.';
  Char FTimeSeparator = u':';
  TYearLength FYearLength = ylYYYY;
  bool FMonthName = false;
  TDateOrder FDateOrder = doYYMMDD;
  TDateForTime FDateForTime = dtOnePerChart;
  TNotifyEvent FOnChange;
};

// ================================================================================================
// TCrossHair
//
// A cross-hair's settings. Every field starts as zero: position (0, 0), black, chOff, solid
// line, width 0, layer 0 (the setter allows only 1 and 2, but a new cross-hair has 0).

class XAN_EXPORT TCrossHair : public TPersistent {
 public:
  // From another TCrossHair (or a descendant): every setting and OnChange, no notification.
  // Other sources as TPersistent::Assign (EConvertError when they cannot copy themselves).
  void Assign(const TPersistent& Source) override;
  // Into another TCrossHair: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  // Calls OnChange(this) when a callback is set.
  void Changed();
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

  double PosX() const noexcept { return FPosX; }
  double PosY() const noexcept { return FPosY; }
  TColor Color() const noexcept { return FColor; }
  int32_t Layer() const noexcept { return FLayer; }
  TCrossHMode Mode() const noexcept { return FMode; }
  TPenStyle LineType() const noexcept { return FLineType; }
  int32_t LineWid() const noexcept { return FLineWid; }

  // Store, then Changed(), always.
  void SetCrossHPosX(double Value);
  void SetCrossHPosY(double Value);
  void SetCrossHColor(TColor Value);
  void SetCrossHMode(TCrossHMode Value);
  void SetCrossHLineType(TPenStyle Value);
  void SetCrossHLineWid(int32_t Value);
  // Clamped to 1..2, stored, then Changed().
  //   0 => 1,  1 => 1,  2 => 2,  5 => 2
  void SetCrossHLayer(int32_t Value);
  // Only when x differs from PosX() or y from PosY(): stores both, then one Changed().
  void SetPos(double x, double y);

 private:
  double FPosX = 0;
  double FPosY = 0;
  TColor FColor = 0;
  TCrossHMode FMode = chOff;
  TPenStyle FLineType = psSolid;
  int32_t FLineWid = 0;
  int32_t FLayer = 0;
  TNotifyEvent FOnChange;
};

}  // namespace xan
