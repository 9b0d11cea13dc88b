// The platform's graphics objects: pen, brush and font settings, the canvas that draws on a 32-bit
// raster by the classic GDI pixel rules, bitmaps (PNG and BMP files), the screen and the printer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/stringlist.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"

// <windows.h> makes TextOut a macro for TextOutW (or TextOutA): the canvas's TextOut keeps its
// name here, and answers to both spellings, whichever header a program includes first.
#if defined(TextOut)
#pragma push_macro("TextOut")
#undef TextOut
#define XAN_TEXTOUT_PUSHED
#endif

namespace xan {

// =================================================================================================
// Pen, brush and font
//
// Plain settings objects, copied with Assign. Each fires OnChange after a setter changed it (the
// canvas that holds one listens); Assign fires it once.

// How a canvas draws lines and outlines: colour, width in pixels (at least 1) and style.
class XAN_EXPORT TPen : public TPersistent {
 public:
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  // Width in pixels; values below 1 are stored as 1.
  int32_t Width() const noexcept { return FWidth; }
  void SetWidth(int32_t Value);
  TPenStyle Style() const noexcept { return FStyle; }
  void SetStyle(TPenStyle Value);

  void Assign(const TPersistent& Source) override;
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  void Changed();
  TNotifyEvent FOnChange;
  TColor FColor = 0;  // black
  int32_t FWidth = 1;
  TPenStyle FStyle = psSolid;
};

// How a canvas fills areas: a colour, painted (bsSolid) or not (bsClear).
enum TBrushStyle : uint8_t { bsSolid, bsClear };

class XAN_EXPORT TBrush : public TPersistent {
 public:
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const noexcept { return FStyle; }
  void SetStyle(TBrushStyle Value);

  void Assign(const TPersistent& Source) override;
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  void Changed();
  TNotifyEvent FOnChange;
  TColor FColor = 0x00FFFFFF;  // white
  TBrushStyle FStyle = bsSolid;
};

// The resolution that fonts assume unless told otherwise: the screen's, 96 pixels per inch.
inline constexpr int32_t kDefaultPixelsPerInch = 96;

// A font: family name, size, colour and styles.
//
// The font keeps its height in pixels; Size (in points) is derived from it through
// PixelsPerInch, as on the platform the library was designed for:
//   Height = -round(Size * PixelsPerInch / 72),  Size = -round(Height * 72 / PixelsPerInch)
// A negative height is the character height (the em size without internal leading), which is
// what a size in points means; a positive height is the cell height (ascent plus descent).
// Changing PixelsPerInch keeps Height, so Size then reads differently.
//   default: Name u"Arial", Height -11 at 96 pixels per inch, so Size 8; colour black
//   SetSize(12) at 96 ppi => Height -16;  SetSize(12) at 300 ppi => Height -50
class XAN_EXPORT TFont : public TPersistent {
 public:
  const String& Name() const noexcept { return FName; }
  void SetName(StringView Value);
  int32_t Size() const noexcept;
  // Sets the height for Value points at the current PixelsPerInch.
  void SetSize(int32_t Value);
  int32_t Height() const noexcept { return FHeight; }
  void SetHeight(int32_t Value);
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const noexcept { return FStyle; }
  void SetStyle(TFontStyles Value);
  // Pixels per inch of the surface the font is for; values below 1 are stored as 1. Does not
  // fire OnChange (the font's pixels stay the same).
  int32_t PixelsPerInch() const noexcept { return FPixelsPerInch; }
  void SetPixelsPerInch(int32_t Value) noexcept;

  // Copies name, colour, styles and size of another TFont, then fires OnChange once. The font
  // keeps its own PixelsPerInch (it belongs to the surface): at equal resolutions the height is
  // copied, at different ones the size in points, so the text keeps its size on paper.
  void Assign(const TPersistent& Source) override;
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  void Changed();
  TNotifyEvent FOnChange;
  String FName = u"Arial";
  int32_t FHeight = -11;
  TColor FColor = 0;
  TFontStyles FStyle;
  int32_t FPixelsPerInch = kDefaultPixelsPerInch;
};

// =================================================================================================
// Rectangles, errors, text metrics

// A rectangle of pixels: Left and Top belong to it, Right and Bottom do not.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  constexpr int64_t Width() const noexcept { return int64_t{Right} - Left; }
  constexpr int64_t Height() const noexcept { return int64_t{Bottom} - Top; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// An image that cannot be read (a damaged or unsupported PNG or BMP), written (a PNG without
// pixels) or held (more than MaxBitmapPixels pixels).
class XAN_EXPORT EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
  ~EInvalidGraphic() override;
};

// A print job that cannot go on: BeginDoc while printing, EndDoc or NewPage while not, no default
// printer, a print service that refuses the job, an output file that cannot be written.
class XAN_EXPORT EPrinter : public Exception {
 public:
  using Exception::Exception;
  ~EPrinter() override;
};

// Bits of TTextMetric::PitchAndFamily. TMPF_FIXED_PITCH set means a variable-pitch font (the
// bit's name says the opposite, as it always has on the platform); TMPF_VECTOR an outline font;
// TMPF_TRUETYPE a font in the TrueType (sfnt) container, with TrueType or CFF outlines.
// <windows.h> defines the same three bits, with the same values, as macros: where it came
// first, its macros serve.
#ifndef TMPF_FIXED_PITCH
inline constexpr uint8_t TMPF_FIXED_PITCH = 0x01;
#endif
#ifndef TMPF_VECTOR
inline constexpr uint8_t TMPF_VECTOR = 0x02;
#endif
#ifndef TMPF_TRUETYPE
inline constexpr uint8_t TMPF_TRUETYPE = 0x04;
#endif

// The measures of a canvas's font in pixels. Height = Ascent + Descent is the cell height that
// TextHeight reports; InternalLeading = Height - the em size.
struct TTextMetric {
  int32_t Height = 0;
  int32_t Ascent = 0;
  int32_t Descent = 0;
  int32_t InternalLeading = 0;
  int32_t AveCharWidth = 0;
  uint8_t PitchAndFamily = 0;
};

class TBitmap;
namespace detail {
class TTextEngine;
enum class THostShape : uint8_t;
}  // namespace detail

// The largest raster a bitmap or page may hold: 2^28 pixels (1 GiB).
inline constexpr int64_t MaxBitmapPixels = int64_t{1} << 28;

// =================================================================================================
// TCanvas: drawing on a 32-bit raster
//
// A canvas draws on the raster of a bitmap or of the printer's page. Coordinates are pixels, x to
// the right and y downward; whatever falls outside the raster is clipped, for any coordinates
// (even +-2^31), so nothing is ever written outside it. A canvas that belongs to nothing (or to a
// 0 x 0 bitmap) has no pixels: drawing does nothing and Pixels reads clInvalidPixel.
//
// Pixels follow the rules of the GDI the library was designed on:
// - LineTo covers the pixels of the line from the pen position to (X, Y) without (X, Y) itself:
//   one pixel per step along the longer axis; on the other axis the pixel nearest the true line,
//   and at an exact tie the smaller coordinate. So a line and its reverse differ in their ends.
//     MoveTo(0, 0), LineTo(4, 0) => (0,0) (1,0) (2,0) (3,0)
//     MoveTo(0, 0), LineTo(4, 2) => (0,0) (1,0) (2,1) (3,1);  MoveTo(4, 2), LineTo(0, 0) =>
//     (4,2) (3,1) (2,1) (1,0)
// - Rectangle(X1, Y1, X2, Y2) (corners in any order) covers X1..X2-1 and Y1..Y2-1: the outline
//   in the pen colour, the inside in the brush colour; without a pen (psClear) the filled area is
//   one pixel smaller, X1..X2-2 and Y1..Y2-2. An empty width or height draws nothing, and so
//   does a box of 1 x 1 pixel (its outline has no length, its inside no pixel).
// - Ellipse(X1, Y1, X2, Y2) fits the same box as Rectangle: an outline of connected pixels
//   touching each side, the inside in the brush colour; boxes 2 pixels wide or high or less are
//   drawn as Rectangle. Ellipses wider or taller than MaxEllipseSize are not drawn.
// - Polygon fills with the even-odd rule: pixel (x, y) is inside when its top-left corner point
//   is, counting an edge's left side and top end in and its right side and bottom end out; then
//   the edges are drawn with LineTo rules, closing the figure.
//
// Pens draw 1 pixel wide: a width above 1 and the dashed styles (psDash ... psDashDotDot) are
// drawn as a solid 1-pixel line; psClear draws no line. Colours: the low 24 bits of a TColor
// (red in the low byte); the top byte is ignored. The raster holds each pixel as 0x00RRGGBB.

// Pixels() of a point outside the raster.
inline constexpr TColor clInvalidPixel = 0xFFFFFFFF;
// The widest and tallest ellipse a canvas draws: 2^19 pixels (the walk along its outline is exact
// in 64-bit integers up to there).
inline constexpr int64_t MaxEllipseSize = int64_t{1} << 19;

class XAN_EXPORT TCanvas : public TObject {
 public:
  TCanvas();
  ~TCanvas() override;

  TPen& Pen() noexcept { return FPen; }
  const TPen& Pen() const noexcept { return FPen; }
  TBrush& Brush() noexcept { return FBrush; }
  const TBrush& Brush() const noexcept { return FBrush; }
  // The font of TextOut; its PixelsPerInch is the resolution of the surface (96 on bitmaps).
  TFont& Font() noexcept { return FFont; }
  const TFont& Font() const noexcept { return FFont; }

  // The size of the raster drawn on (0 x 0 when there is none).
  int32_t Width() const noexcept { return FWidth; }
  int32_t Height() const noexcept { return FHeight; }

  // -----------------------------------------------------------------------------------------------
  // Lines and shapes

  // The pen position: where the next LineTo starts.
  TPoint PenPos() const noexcept { return FPenPos; }
  void SetPenPos(TPoint Value) noexcept { FPenPos = Value; }
  // Moves the pen position to (X, Y) without drawing.
  void MoveTo(int32_t X, int32_t Y) noexcept { FPenPos = {X, Y}; }
  // Draws from the pen position to (X, Y), without that end pixel, and moves the pen there.
  void LineTo(int32_t X, int32_t Y) noexcept;
  // Outline with the pen, inside with the brush (see above).
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) noexcept;
  void Rectangle(const TRect& Rect) noexcept {
    Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  }
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) noexcept;
  // A closed figure through Points (fewer than 2 draw nothing), filled by the even-odd rule.
  void Polygon(std::span<const TPoint> Points);
  // Fills Rect (Left..Right-1, Top..Bottom-1) with the brush; an empty rectangle or a clear brush
  // fills nothing.
  void FillRect(const TRect& Rect) noexcept;

  // -----------------------------------------------------------------------------------------------
  // Pixels and images

  // The colour of the pixel at (X, Y), or clInvalidPixel outside the raster.
  TColor Pixels(int32_t X, int32_t Y) const noexcept;
  // Sets the pixel at (X, Y); outside the raster nothing happens.
  void SetPixels(int32_t X, int32_t Y, TColor Value) noexcept;
  // Copies Source pixel for pixel with its top-left corner at (X, Y).
  void Draw(int32_t X, int32_t Y, const TBitmap& Source) noexcept;
  // Copies Source scaled into Dest (nearest pixel); an empty Dest or Source copies nothing.
  void StretchDraw(const TRect& Dest, const TBitmap& Source) noexcept;

  // -----------------------------------------------------------------------------------------------
  // Text
  //
  // The font is the face that fontconfig matches for Font().Name() (a metric-compatible one for
  // "Arial", "Times New Roman"... where installed, else its nearest), in the font's styles: bold
  // and italic choose those faces or are synthesized; underline and strike-out are drawn. The
  // size follows Font().Height() (a negative height is the em size, a positive one the cell
  // height, 0 an em of 12 pixels; at most 4096 pixels). Glyphs are antialiased, blended into the
  // raster in the font colour. Without any usable font file (none installed, or every match
  // failing to load) text draws nothing and measures 0.

  // Writes Text with the top-left corner of its cell at (X, Y), advancing by each character's
  // advance width (no kerning), then moves the pen position to (X + TextWidth(Text), Y). With a
  // solid brush, the cell (TextWidth x TextHeight) is first filled with the brush colour; with a
  // clear brush the background shows through.
  void TextOut(int32_t X, int32_t Y, StringView Text);
#if defined(_WIN32)
  void TextOutW(int32_t X, int32_t Y, StringView Text) {
    TextOut(X, Y, Text);
  }
  void TextOutA(int32_t X, int32_t Y, StringView Text) {
    TextOut(X, Y, Text);
  }
#endif
  // The advance width of Text in pixels: u"" => 0.
  int32_t TextWidth(StringView Text);
  // The cell height of the font (TTextMetric::Height), whatever Text holds.
  int32_t TextHeight(StringView Text);
  // The measures of the current font.
  TTextMetric TextMetrics();

 private:
  friend class TBitmap;
  friend class TPrinter;
  // Draws on Bits (Width x Height pixels, rows one after another), or on nothing for null.
  void Attach(uint32_t* Bits, int32_t Width, int32_t Height) noexcept;
  detail::TTextEngine& TextEngine();
  // Hands a shape to the host's own drawing where it has one (the GDI on Windows); false when
  // the canvas draws it itself.
  bool HostShape(detail::THostShape Shape, std::span<const TPoint> Points) noexcept;

  TPen FPen;
  TBrush FBrush;
  TFont FFont;
  TPoint FPenPos;
  uint32_t* FBits = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::unique_ptr<detail::TTextEngine> FText;
  std::vector<int64_t> FScratch;  // reused by Polygon
};

// =================================================================================================
// TBitmap: a 32-bit raster with a canvas, read from and written to PNG and BMP

// File formats a bitmap can be written in.
enum TGraphicFormat : uint8_t { gfBMP, gfPNG };

// A raster of Width x Height pixels (each 0x00RRGGBB) and the canvas that draws on it.
//
// A new bitmap is 0 x 0. Resizing keeps the pixels that stay inside and makes the new ones white.
// Files: LoadFromFile / LoadFromStream recognise PNG (any colour type and depth; transparency is
// laid over white) and BMP (1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with colour
// masks, bottom-up or top-down) by their content. SaveToFile writes PNG when the name ends in
// ".png" (any case), else BMP; BMP is written as 32 bits per pixel, PNG as 8-bit RGB.
// Errors: a damaged or unsupported image raises EInvalidGraphic and leaves the bitmap as it was;
// files that cannot be opened or created raise EFOpenError / EFCreateError.
class XAN_EXPORT TBitmap : public TPersistent {
 public:
  TBitmap();
  TBitmap(int32_t AWidth, int32_t AHeight);
  ~TBitmap() override;

  int32_t Width() const noexcept { return FWidth; }
  int32_t Height() const noexcept { return FHeight; }
  // Negative sizes count as 0. Raises EInvalidGraphic for more than MaxBitmapPixels pixels (the
  // bitmap is then unchanged).
  void SetSize(int32_t AWidth, int32_t AHeight);
  void SetWidth(int32_t Value) { SetSize(Value, FHeight); }
  void SetHeight(int32_t Value) { SetSize(FWidth, Value); }

  TCanvas& Canvas() noexcept { return FCanvas; }

  // The pixels of row Row (0..Height-1) as 0x00RRGGBB values, or nullptr for another row.
  uint32_t* ScanLine(int32_t Row) noexcept;
  const uint32_t* ScanLine(int32_t Row) const noexcept;

  // From another TBitmap: its size and pixels. Other sources as TPersistent::Assign.
  void Assign(const TPersistent& Source) override;

  void LoadFromFile(StringView FileName);
  void SaveToFile(StringView FileName) const;
  // Reads an image from Stream's position to its end.
  void LoadFromStream(TStream& Stream);
  // Writes the image at Stream's position. PNG needs at least one pixel (EInvalidGraphic).
  void SaveToStream(TStream& Stream, TGraphicFormat Format = gfBMP) const;

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<uint32_t> FPixels;
  TCanvas FCanvas;
};

// =================================================================================================
// Screen and printer

// The screen: its fonts and resolution.
class XAN_EXPORT TScreen : public TObject {
 public:
  TScreen();
  ~TScreen() override;
  // The installed font families as fontconfig lists them, sorted, each once; IndexOf compares
  // ignoring case. Read when first asked for; empty when fontconfig knows no font.
  const TStringList& Fonts();
  // 96.
  int32_t PixelsPerInch() const noexcept { return kDefaultPixelsPerInch; }

 private:
  TStringList FFonts;
  bool FFontsRead = false;
};

// The process's screen object.
XAN_EXPORT TScreen& Screen();

// The default printer as a page canvas.
//
// Between BeginDoc and EndDoc the canvas draws on a white page of A4 paper (210 x 297 mm) at
// Resolution() pixels per inch (300 unless set: 2480 x 3508 pixels); its font's PixelsPerInch is
// that resolution. NewPage hands over the page and starts a new one. EndDoc hands the pages over:
// - with an output file set: a name ending in ".png" (any case) gets each page as a PNG image
//   (the first at that name, page n at the name with "-n" before ".png"); any other name gets
//   one PDF document of all pages at A4 size;
// - otherwise the pages go as a PDF document to the system's default printer (CUPS), titled
//   Title().
// Abort drops the job. Outside a job the canvas has no pixels.
class XAN_EXPORT TPrinter : public TObject {
 public:
  TPrinter();
  ~TPrinter() override;

  TCanvas& Canvas() noexcept { return FCanvas; }
  bool Printing() const noexcept { return FPrinting; }
  // Pages begun in the current job (1 after BeginDoc), 0 outside a job.
  int32_t PageNumber() const noexcept { return FPageNumber; }
  // The page in pixels at the current resolution.
  int32_t PageWidth() const noexcept;
  int32_t PageHeight() const noexcept;
  // Pixels per inch of the page, 1..1200 (values outside are clamped); set outside a job only
  // (raises EPrinter while printing).
  int32_t Resolution() const noexcept { return FResolution; }
  void SetResolution(int32_t Value);
  // Where EndDoc writes the pages; empty (the default) prints them.
  const String& OutputFile() const noexcept { return FOutputFile; }
  void SetOutputFile(StringView Value) { FOutputFile = String(Value); }
  const String& Title() const noexcept { return FTitle; }
  void SetTitle(StringView Value) { FTitle = String(Value); }
  // The name of the system's default printer, or empty when there is none.
  String PrinterName() const;

  // Starts a job with a white first page. Raises EPrinter while printing.
  void BeginDoc();
  // Hands over the page and starts a white next one. Raises EPrinter outside a job.
  void NewPage();
  // Hands over the last page and ends the job (see above). The job ends also when this raises
  // (EPrinter, or EInOutError / EFCreateError for an output file that cannot be written).
  void EndDoc();
  // Ends the job without handing anything over; nothing outside a job.
  void Abort() noexcept;

 private:
  struct TJob;
  void AddPage();
  void EndJob() noexcept;

  TCanvas FCanvas;
  std::vector<uint32_t> FPage;
  std::unique_ptr<TJob> FJob;
  bool FPrinting = false;
  int32_t FPageNumber = 0;
  int32_t FResolution = 300;
  String FOutputFile;
  String FTitle;
};

// The process's default printer object.
XAN_EXPORT TPrinter& Printer();

}  // namespace xan

#if defined(XAN_TEXTOUT_PUSHED)
#pragma pop_macro("TextOut")
#undef XAN_TEXTOUT_PUSHED
#endif
