// The shared vocabulary of the library and its client libraries: enumerations and keyword tables,
// records, arrays, callbacks, exceptions, progress variables, language tables and label objects.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"
#include "xan/platform/variant.h"

namespace xan {

// ================================================================================================
// Enumerations. Each is an 8-bit ordinal type starting at 0; client code and stored files rely on
// the order of the values.

enum TBkgFill : uint8_t { bfSimple, bfStretch, bfTile };
enum TBoundingBox : uint8_t { bbNone, bbFrame, bbFaces };
enum TColorScheme : uint8_t { csBWG, csSystem };
enum TDecPSep : uint8_t { dsSystem, dsDot, dsComma, dsBoth };
enum TFigType : uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
enum TScaleType : uint8_t { sctXB, sctXT, sctYL, sctYR };
enum TVerticalAlignment : uint8_t { vaTop, vaCenter, vaBottom };
enum TYearLength : uint8_t { ylNone, ylYY, ylYYYY };
enum TDateOrder : uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDateForTime : uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TShadowStyle : uint8_t { ssFlying, ssBox };
enum TFrameStyle : uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TDistMode : uint8_t { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
enum TTimeFormat : uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
enum TDirection : uint8_t { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TOrientation : uint8_t { orVert, orHoriz };
enum TEdgeOp : uint8_t { eopMin, eopMax, eopSum, eopMean };
enum TAxis : uint8_t { atXAxis, atYAxis, atZAxis };
// The four coordinates of TCellPosition4D.
enum TDims : uint8_t { dimX, dimY, dimL, dimT };
enum TTriState : uint8_t { tsFalse, tsTrue, tsUndefined };
enum TCrossHMode : uint8_t { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
enum TTxtLblAttachMode : uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode : uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TDegreeFormat : uint8_t { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };
enum TCSVDelimiters : uint8_t { csvUnknown, csvBlank, csvSemicolon, csvComma, csvColon, csvTab };
enum TZoomPanMode : uint8_t { zpmPan, zpmColZoomLeft, zpmColZoomRight };
enum TLanguage : uint8_t { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
enum TVarKind : uint8_t { rnum, dnum, snum, inum, lnum, Bool, strg };
enum TMouseBoxState : uint8_t { msNormal, msFirstCorner, msRectDraw, msFinished };
enum TMouseActMode : uint8_t {
  maNone,
  maPan,
  maPanHoriz,
  maPanVert,
  maPanGrid,
  maRubberBand,
  maZoom,
  maZoomWind,
  maZoomWindPos,
  maZoomDrag,
  maDragCrossH,
  maDragLabel,
  maRotate,
  maRotAndZoom,
  maRotXOnly,
  maRotZOnly,
  maSelectRect,
  maDrawMTrace,
  maZoomPanColors
};
enum TZoomState : uint8_t { zsNormal, zsDrawWin };

// ================================================================================================
// Keyword tables: entry k spells the value of ordinal k in saved settings. Reading maps a keyword
// back to the value whose entry it equals exactly (case-sensitive), see FindKeyword.

inline constexpr std::array<StringView, 3> xmlVerticalAlignment = {u"vaTop", u"vaCenter",
                                                                   u"vaBottom"};
inline constexpr std::array<StringView, 3> xmlAlignment = {u"taLeftJustify", u"taRightJustify",
                                                           u"taCenter"};
inline constexpr std::array<StringView, 3> xmlBkgFill = {u"bfSimple", u"bfStretch", u"bfTile"};
inline constexpr std::array<StringView, 3> xmlBoundingBox = {u"bbNone", u"bbFrame", u"bbFaces"};
inline constexpr std::array<StringView, 2> xmlColorScheme = {u"csBWG", u"csSystem"};
inline constexpr std::array<StringView, 5> xmlFigType = {u"ftNoFigs", u"ftNum", u"ftTime",
                                                         u"ftDateTime", u"ftUserText"};
inline constexpr std::array<StringView, 4> xmlScaleType = {u"sctXB", u"sctXT", u"sctYL", u"sctYR"};
inline constexpr std::array<StringView, 3> xmlYearLength = {u"ylNone", u"ylYY", u"ylYYYY"};
inline constexpr std::array<StringView, 3> xmlDateOrder = {u"doMMDDYY", u"doDDMMYY", u"doYYMMDD"};
inline constexpr std::array<StringView, 4> xmlDateForTime = {u"dtNone", u"dtOnePerChart",
                                                             u"dtOnePerDay", u"dtAllTicks"};
inline constexpr std::array<StringView, 2> xmlShadowStyle = {u"ssFlying", u"ssBox"};
inline constexpr std::array<StringView, 6> xmlFrameStyle = {
    u"fsNone", u"fsSimple", u"fsLowered", u"fsRaised", u"fsEmbossed", u"fsEngraved"};
inline constexpr std::array<StringView, 3> xmlTimeFormat = {u"tfHHMMSS", u"tfHHhMM", u"tfAMPM"};
inline constexpr std::array<StringView, 4> xmlDirection = {u"dirUpward", u"dirDownward",
                                                           u"dirLeftward", u"dirRightward"};
inline constexpr std::array<StringView, 5> xmlLanguage = {u"lgUnknown", u"lgEnglish", u"lgGerman",
                                                          u"lgFrench", u"lgSpanish"};
// The sixth value is spelled "bool" in lower case.
inline constexpr std::array<StringView, 7> xmlVarKind = {u"rnum", u"dnum", u"snum", u"inum",
                                                         u"lnum", u"bool", u"strg"};
inline constexpr std::array<StringView, 4> xmlMouseBoxState = {u"msNormal", u"msFirstCorner",
                                                               u"msRectDraw", u"msFinished"};
inline constexpr std::array<StringView, 19> xmlMouseActMode = {
    u"maNone",       u"maPan",        u"maPanHoriz",   u"maPanVert",      u"maPanGrid",
    u"maRubberBand", u"maZoom",       u"maZoomWind",   u"maZoomWindPos",  u"maZoomDrag",
    u"maDragCrossH", u"maDragLabel",  u"maRotate",     u"maRotAndZoom",   u"maRotXOnly",
    u"maRotZOnly",   u"maSelectRect", u"maDrawMTrace", u"maZoomPanColors"};
inline constexpr std::array<StringView, 2> xmlZoomState = {u"zsNormal", u"zsDrawWin"};
inline constexpr std::array<StringView, 6> xmlCrossHMode = {u"chOff",  u"chHoriz",    u"chVert",
                                                            u"chBoth", u"chCrossBox", u"chBox"};
inline constexpr std::array<StringView, 5> xmlTxtLblMode = {u"tlOff", u"tlsimple", u"tlBox",
                                                            u"tlUnderline", u"tlShadow"};
inline constexpr std::array<StringView, 4> xmlTxtLblAttachMode = {u"tlamNone", u"tlamXOnly",
                                                                  u"tlamYOnly", u"tlamBoth"};
inline constexpr std::array<StringView, 4> xmlFontStyle = {u"fsBold", u"fsItalic", u"fsUnderline",
                                                           u"fsStrikeOut"};

// The ordinal whose entry of `table` equals `keyword` exactly, or -1 when none does.
//   FindKeyword(xmlVarKind, u"bool") => 5,  FindKeyword(xmlVarKind, u"Bool") => -1
template <size_t N>
constexpr int FindKeyword(const std::array<StringView, N>& table, StringView keyword) noexcept {
  for (size_t i = 0; i < N; ++i) {
    if (table[i] == keyword) return static_cast<int>(i);
  }
  return -1;
}

// ================================================================================================
// Display-name tables

inline constexpr std::array<StringView, 6> DistModeId = {
    u"Jaccard coefficient", u"Manhattan",        u"Euclidean",
    u"squared Euclidean",   u"Dice coefficient", u"user defined"};
inline constexpr std::array<StringView, 6> CSVDELIMITERIDS = {u"undefined", u"blank", u"semicolon",
                                                              u"comma",     u"colon", u"tab"};
inline constexpr std::array<Char, 6> CSVDELIMITERS = {u'\0', u' ', u';', u',', u':', u'\t'};

// The delimiter whose CSVDELIMITERS entry is `c`, comparing csvBlank..csvTab in order; any other
// character, U+0000 included, gives csvUnknown.
//   u' ' => csvBlank, u';' => csvSemicolon, u'\t' => csvTab, u'\0' => csvUnknown, u'x' =>
//   csvUnknown
XAN_EXPORT TCSVDelimiters ResolveCSVDelimiter(Char c) noexcept;

// ================================================================================================
// Records

struct TPointDouble {
  double X = 0;
  double Y = 0;
  friend constexpr bool operator==(const TPointDouble&, const TPointDouble&) = default;
};

struct TColoredPoint {
  double X = 0;
  double Y = 0;
  uint16_t Flag = 0;
  TColor Color = 0;
};

// The four coordinates named by TDims.
struct TCellPosition4D {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t L = 0;
  int32_t T = 0;
};

// A rectangle of doubles. Its corners TopLeft (Left, Top) and BottomRight (Right, Bottom) are
// read and written through the accessors, over the same four fields.
struct TRectDouble {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;

  constexpr TPointDouble TopLeft() const noexcept { return {Left, Top}; }
  constexpr TPointDouble BottomRight() const noexcept { return {Right, Bottom}; }
  constexpr void SetTopLeft(TPointDouble p) noexcept {
    Left = p.X;
    Top = p.Y;
  }
  constexpr void SetBottomRight(TPointDouble p) noexcept {
    Right = p.X;
    Bottom = p.Y;
  }
  friend constexpr bool operator==(const TRectDouble&, const TRectDouble&) = default;
};

// ================================================================================================
// Fixed arrays

// The corners of a quadrilateral.
using TQuad = std::array<TPoint, 4>;
using TBuf4096 = std::array<uint8_t, 4096>;
using TBuf16K = std::array<uint8_t, 16384>;
// The type through which an untyped buffer address is viewed; never allocated as such.
using TDataBuffer = uint8_t[2147483647];

// ================================================================================================
// Dynamic arrays: zero-based, elements start as zero, false or empty. The multi-level arrays are
// ragged: each row has its own length.

using TBytes = std::vector<uint8_t>;
using TIntArray = std::vector<int32_t>;
using TInt2DArray = std::vector<TIntArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TInt4DArray = std::vector<TInt3DArray>;
using TSingleArray = std::vector<float>;
using TDoubleArray = std::vector<double>;
using TDouble2DArray = std::vector<TDoubleArray>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TBoolArray = std::vector<bool>;
using TBool2DArray = std::vector<TBoolArray>;
using TStrArray = std::vector<String>;
using TStr2DArray = std::vector<TStrArray>;
using TPDblArray = std::vector<TPointDouble>;
using TPIntArray = std::vector<TPoint>;
using TVariantArray = std::vector<Variant>;

// ================================================================================================
// Callback types. Method callbacks (bound to an object) are std::function; procedure callbacks
// are plain function pointers. An empty callback is never called.

// Progress of a long operation in percent.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int32_t PercentDone)>;
// The handler sets Abort to true to ask the running operation to stop.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
// Entries index1 and index2 of the kind ExchgWhat are exchanged while first..last is sorted.
using TSortExchgEvent = std::function<void(TObject* Sender, uint8_t ExchgWhat, int32_t index1,
                                           int32_t index2, int32_t first, int32_t last)>;
// A zoom or pan took place.
using TZoomPanEvent = std::function<void(TObject* Sender)>;
// A rectangle from (LoX, LoY) to (HiX, HiY) was selected on a layer.
using TSelectRectEvent = std::function<void(TObject* Sender, int32_t Layer, double LoX, double LoY,
                                            double HiX, double HiY)>;
// A rubber-band action at a point.
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint APoint)>;
// Progress report of a computation.
using TFeedbackProc = void (*)(TObject* Sender, double StateCnt, double PercentDone);
// Progress report of a mathematical computation; the type of MathFeedBackProc.
using FeedBackProcType = void (*)(double StateCnt);

// ================================================================================================
// Exceptions: every error the library raises itself is an EXANError; each unit has its own
// direct subclass. Component messages read "Component \"<Name>\": <reason>".

class XAN_EXPORT EXANError : public Exception {
 public:
  using Exception::Exception;
  ~EXANError() override;
};
class XAN_EXPORT EXANColArrayError : public EXANError {
 public:
  using EXANError::EXANError;
  ~EXANColArrayError() override;
};
class XAN_EXPORT EXANStringlError : public EXANError {
 public:
  using EXANError::EXANError;
  ~EXANStringlError() override;
};
class XAN_EXPORT EXANDStructError : public EXANError {
 public:
  using EXANError::EXANError;
  ~EXANDStructError() override;
};
class XAN_EXPORT EXANFileSysError : public EXANError {
 public:
  using EXANError::EXANError;
  ~EXANFileSysError() override;
};
class XAN_EXPORT EXANCpuIdError : public EXANError {
 public:
  using EXANError::EXANError;
  ~EXANCpuIdError() override;
};

// ================================================================================================
// Process-wide progress variables: the meeting point through which long computations of client
// libraries report progress and are stopped. The library never touches them after start-up;
// they hold their start-up values (0, 0, false, empty) from the moment it is loaded. No lock.

XAN_EXPORT extern double ProcStat;
XAN_EXPORT extern double LastProcStat;
XAN_EXPORT extern bool AbortMathProc;
XAN_EXPORT extern FeedBackProcType MathFeedBackProc;

// ================================================================================================
// Calendar and language tables, indexed by TLanguage (the row for lgUnknown holds neutral codes).

using TLanguageRow12 = std::array<StringView, 12>;
using TLanguageRow7 = std::array<StringView, 7>;
using TLanguageRow13 = std::array<StringView, 13>;

inline constexpr std::array<TLanguageRow12, 5> MonthShort = {{
    {u"M01", u"M02", u"M03", u"M04", u"M05", u"M06", u"M07", u"M08", u"M09", u"M10", u"M11",
     u"M12"},
    {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov",
     u"Dec"},
    {u"J\u00e4n", u"Feb", u"M\u00e4r", u"Apr", u"Mai", u"Jun", u"Jul", u"Aug", u"Sep", u"Okt",
     u"Nov", u"Dez"},
    {u"jan", u"f\u00e9v", u"mar", u"avr", u"mai", u"juin", u"jul", u"ao\u00fb", u"sep", u"oct",
     u"nov", u"d\u00e9c"},
    {u"Ene", u"Feb", u"Mar", u"Abr", u"May", u"Jun", u"Jul", u"Ago", u"Sep", u"Oct", u"Nov",
     u"Dic"},
}};

// The French February is "février " with a trailing blank; the Spanish May is "mai".
inline constexpr std::array<TLanguageRow12, 5> MonthLong = {{
    {u"M01", u"M02", u"M03", u"M04", u"M05", u"M06", u"M07", u"M08", u"M09", u"M10", u"M11",
     u"M12"},
    {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August", u"September",
     u"October", u"November", u"December"},
    {u"J\u00e4nner", u"Februar", u"M\u00e4rz", u"April", u"Mai", u"Juni", u"Juli", u"August",
     u"September", u"Oktober", u"November", u"Dezember"},
    {u"janvier", u"f\u00e9vrier ", u"mars", u"avril", u"mai", u"juin", u"juillet", u"ao\u00fbt",
     u"septembre", u"octobre", u"novembre", u"d\u00e9cembre"},
    {u"enero", u"febrero", u"marzo", u"abril", u"mai", u"junio", u"julio", u"agosto", u"septiembre",
     u"octubre", u"noviembre", u"diciembre"},
}};

// Monday first.
inline constexpr std::array<TLanguageRow7, 5> WeekDayShort = {{
    {u"D01", u"D02", u"D03", u"D04", u"D05", u"D06", u"D07"},
    {u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat", u"Sun"},
    {u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa", u"So"},
    {u"lun", u"mar", u"mer", u"jeu", u"ven", u"sam", u"dim"},
    {u"lun", u"mar", u"mie", u"jue", u"vie", u"sab", u"dom"},
}};

inline constexpr std::array<TLanguageRow7, 5> WeekDayLong = {{
    {u"D01", u"D02", u"D03", u"D04", u"D05", u"D06", u"D07"},
    {u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday", u"Sunday"},
    {u"Montag", u"Dienstag", u"Mittwoch", u"Donnerstag", u"Freitag", u"Samstag", u"Sonntag"},
    {u"lundi", u"mardi", u"mercredi", u"jeudi", u"vendredi", u"samedi", u"dimanche"},
    {u"lunes", u"martes", u"mi\u00e9rcoles", u"jueves", u"viernes", u"s\u00e1bado", u"domingo"},
}};

// The numbers 0 to 12 in words.
inline constexpr std::array<TLanguageRow13, 5> NumWords = {{
    {u"N00", u"N01", u"N02", u"N03", u"N04", u"N05", u"N06", u"N07", u"N08", u"N09", u"N10", u"N11",
     u"N12"},
    {u"zero", u"one", u"two", u"three", u"four", u"five", u"six", u"seven", u"eight", u"nine",
     u"ten", u"eleven", u"twelve"},
    {u"null", u"eins", u"zwei", u"drei", u"vier", u"f\u00fcnf", u"sechs", u"sieben", u"acht",
     u"neun", u"zehn", u"elf", u"zw\u00f6lf"},
    {u"z\u00e9ro", u"celui", u"deux", u"trois", u"quatre", u"cinq", u"six", u"sept", u"huit",
     u"neuf", u"dix", u"onze", u"douze"},
    {u"cero", u"uno", u"dos", u"tres", u"cuatro", u"cinco", u"seis", u"siete", u"ocho", u"nueve",
     u"diez", u"once", u"doce"},
}};

// LanguageID[written in][language named]; "???" throughout the lgUnknown row and column.
inline constexpr std::array<std::array<StringView, 5>, 5> LanguageID = {{
    {u"???", u"???", u"???", u"???", u"???"},
    {u"???", u"English", u"German", u"French", u"Spanish"},
    {u"???", u"englisch", u"deutsch", u"franz\u00f6sisch", u"spanisch"},
    {u"???", u"anglais", u"allemand", u"fran\u00e7ais", u"espagnol"},
    {u"???", u"ingl\u00e9s", u"alem\u00e1n", u"franc\u00e9s", u"espa\u00f1ol"},
}};

inline constexpr std::array<StringView, 5> ISO639_2Char = {u"??", u"en", u"de", u"fr", u"es"};
inline constexpr std::array<StringView, 5> ISO639_3Char = {u"???", u"eng", u"ger", u"fre", u"spa"};

// A table indexed by character codes First..First+N-1; other indexes read as empty text.
template <size_t First, size_t N>
struct TCodeIndexedTable {
  std::array<StringView, N> Entries;
  static constexpr size_t Low = First;
  static constexpr size_t High = First + N - 1;
  constexpr StringView operator[](size_t code) const noexcept {
    return code >= First && code - First < N ? Entries[code - First] : StringView{};
  }
};

// The HTML 4 named character references of codes 160..255, "&nbsp;" to "&yuml;".
inline constexpr TCodeIndexedTable<160, 96> HTMLLat1Entities = {{
    u"&nbsp;",   u"&iexcl;",  u"&cent;",   u"&pound;",  u"&curren;", u"&yen;",    u"&brvbar;",
    u"&sect;",   u"&uml;",    u"&copy;",   u"&ordf;",   u"&laquo;",  u"&not;",    u"&shy;",
    u"&reg;",    u"&macr;",   u"&deg;",    u"&plusmn;", u"&sup2;",   u"&sup3;",   u"&acute;",
    u"&micro;",  u"&para;",   u"&middot;", u"&cedil;",  u"&sup1;",   u"&ordm;",   u"&raquo;",
    u"&frac14;", u"&frac12;", u"&frac34;", u"&iquest;", u"&Agrave;", u"&Aacute;", u"&Acirc;",
    u"&Atilde;", u"&Auml;",   u"&Aring;",  u"&AElig;",  u"&Ccedil;", u"&Egrave;", u"&Eacute;",
    u"&Ecirc;",  u"&Euml;",   u"&Igrave;", u"&Iacute;", u"&Icirc;",  u"&Iuml;",   u"&ETH;",
    u"&Ntilde;", u"&Ograve;", u"&Oacute;", u"&Ocirc;",  u"&Otilde;", u"&Ouml;",   u"&times;",
    u"&Oslash;", u"&Ugrave;", u"&Uacute;", u"&Ucirc;",  u"&Uuml;",   u"&Yacute;", u"&THORN;",
    u"&szlig;",  u"&agrave;", u"&aacute;", u"&acirc;",  u"&atilde;", u"&auml;",   u"&aring;",
    u"&aelig;",  u"&ccedil;", u"&egrave;", u"&eacute;", u"&ecirc;",  u"&euml;",   u"&igrave;",
    u"&iacute;", u"&icirc;",  u"&iuml;",   u"&eth;",    u"&ntilde;", u"&ograve;", u"&oacute;",
    u"&ocirc;",  u"&otilde;", u"&ouml;",   u"&divide;", u"&oslash;", u"&ugrave;", u"&uacute;",
    u"&ucirc;",  u"&uuml;",   u"&yacute;", u"&thorn;",  u"&yuml;",
}};

}  // namespace xan

// The label objects (TCustomTextLabel, TDTLabel, TCrossHair) use the enumerations and keyword
// tables above and the platform's font and text file, so their header comes last.
#include "xan/xanbase/labels.h"  // IWYU pragma: export
// The canvas drawing helpers (frames, marks, printing, fonts) belong to this unit too.
#include "xan/xanbase/drawing.h"
