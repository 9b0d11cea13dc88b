// The pen, brush and font settings: defaults, the size and height of a font at different
// resolutions, Assign and change notification.
#include "xan/platform/graphics.h"

#include <gtest/gtest.h>

#include "xan/platform/exceptions.h"

namespace xan {
namespace {

TEST(Font, SizeAndHeightFollowTheResolution) {
  TFont font;
  EXPECT_EQ(font.Name(), u"Arial");
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetPixelsPerInch(300);
  EXPECT_EQ(font.Height(), -16) << "the pixels stay";
  EXPECT_EQ(font.Size(), 4);  // 16 * 72 / 300 = 3.84
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -50);
  font.SetHeight(20);  // a cell height reads as a negative size
  EXPECT_EQ(font.Size(), -5);
  font.SetPixelsPerInch(0);
  EXPECT_EQ(font.PixelsPerInch(), 1);
}

TEST(Font, AssignKeepsTheSizeOnPaperAndNotifiesOnce) {
  TFont screen;
  screen.SetName(u"DejaVu Sans");
  screen.SetSize(10);
  screen.SetColor(0x0000FF);
  screen.SetStyle({fsBold, fsUnderline});
  TFont printer;
  printer.SetPixelsPerInch(300);
  int changes = 0;
  printer.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &printer);
    ++changes;
  });
  printer.Assign(screen);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(printer.Name(), u"DejaVu Sans");
  EXPECT_EQ(printer.Color(), 0x0000FFU);
  EXPECT_EQ(printer.Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(printer.PixelsPerInch(), 300);
  EXPECT_EQ(printer.Size(), 10);
  EXPECT_EQ(printer.Height(), -42);
  TFont same;
  same.Assign(screen);
  EXPECT_EQ(same.Height(), screen.Height());
  TPen pen;
  EXPECT_THROW(same.Assign(pen), EConvertError);
}

TEST(PenAndBrush, SettersStoreAndNotify) {
  TPen pen;
  TBrush brush;
  int changes = 0;
  pen.SetOnChange([&](TObject*) { ++changes; });
  brush.SetOnChange([&](TObject*) { ++changes; });
  EXPECT_EQ(pen.Width(), 1);
  pen.SetWidth(0);
  EXPECT_EQ(pen.Width(), 1);
  pen.SetWidth(3);
  pen.SetColor(0x123456);
  pen.SetStyle(psDot);
  EXPECT_EQ(brush.Color(), 0xFFFFFFU);
  brush.SetColor(0x10);
  brush.SetStyle(bsClear);
  EXPECT_EQ(changes, 6);
  TPen copy;
  copy.Assign(pen);
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Color(), 0x123456U);
  EXPECT_EQ(copy.Style(), psDot);
  TBrush brushCopy;
  brushCopy.Assign(brush);
  EXPECT_EQ(brushCopy.Style(), bsClear);
  EXPECT_EQ(brushCopy.Color(), 0x10U);
}

}  // namespace
}  // namespace xan
