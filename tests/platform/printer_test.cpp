// The printer: page size by resolution, the states of a print job, pages written as PNG files and
// as a PDF document that poppler renders back to the same pixels, and outputs that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../test_host.h"
#include "temp_dir.h"
#include "test_printer.h"
#include "xan/platform/graphics.h"

namespace xan {
namespace {

class PrinterTest : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Printer().Abort();
    Printer().SetResolution(300);
    Printer().SetOutputFile(u"");
  }
  void TearDown() override {
    Printer().Abort();
    Printer().SetOutputFile(u"");
    Printer().SetResolution(300);
    TempDirTest::TearDown();
  }
};

// How many pixels of a bitmap differ from those of another (-1 for another size).
[[maybe_unused]] int Differences(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int n = 0;
  for (int32_t y = 0; y < a.Height(); ++y) {
    for (int32_t x = 0; x < a.Width(); ++x) n += a.ScanLine(y)[x] != b.ScanLine(y)[x] ? 1 : 0;
  }
  return n;
}

// How many lines of a text start with a prefix.
[[maybe_unused]] int CountLines(const std::string& text, const std::string& prefix) {
  int n = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    n += text.compare(at, prefix.size(), prefix) == 0 && end - at >= prefix.size() ? 1 : 0;
    at = end + 1;
  }
  return n;
}

TEST_F(PrinterTest, ThePageIsA4AtTheResolution) {
  TPrinter& p = Printer();
  EXPECT_EQ(p.PageWidth(), 2480);
  EXPECT_EQ(p.PageHeight(), 3508);
  EXPECT_EQ(p.Canvas().Font().PixelsPerInch(), 300);
  const int32_t size = p.Canvas().Font().Size();
  p.SetResolution(72);
  EXPECT_EQ(p.PageWidth(), 595);
  EXPECT_EQ(p.PageHeight(), 842);
  EXPECT_EQ(p.Canvas().Font().PixelsPerInch(), 72);
  EXPECT_EQ(p.Canvas().Font().Size(), size) << "text keeps its size on paper";
  p.SetResolution(0);
  EXPECT_EQ(p.Resolution(), 1);
  p.SetResolution(5000);
  EXPECT_EQ(p.Resolution(), 1200);
  (void)p.PrinterName();  // asks the print service; empty without a default printer
}

TEST_F(PrinterTest, AJobGoesFromBeginDocToEndDocOrAbort) {
  TPrinter& p = Printer();
  XAN_SKIP_WITHOUT_PRINTER();
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.Canvas().Width(), 0) << "no page outside a job";
  EXPECT_THROW(p.NewPage(), EPrinter);
  EXPECT_THROW(p.EndDoc(), EPrinter);
  p.SetResolution(10);
  p.SetOutputFile(Path("job.png"));
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 1);
  EXPECT_EQ(p.Canvas().Width(), p.PageWidth());
  EXPECT_EQ(p.Canvas().Height(), p.PageHeight());
  EXPECT_EQ(p.Canvas().Pixels(5, 5), 0xFFFFFFU) << "a white page";
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_THROW(p.SetResolution(20), EPrinter);
  p.Abort();
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 0);
  EXPECT_EQ(p.Canvas().Pixels(5, 5), clInvalidPixel);
  EXPECT_FALSE(std::filesystem::exists(HostPath("job.png"))) << "an aborted job writes nothing";
  p.Abort();  // nothing outside a job
}

TEST_F(PrinterTest, PngOutputWritesOneFilePerPage_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  TPrinter& p = Printer();
  p.SetResolution(20);
  p.SetOutputFile(Path("pages.png"));
  const int32_t w = 165, h = 234;  // 210 and 297 mm at 20 pixels per inch
  TBitmap first(w, h), second(w, h);
  // The printer's canvas keeps its pen and brush from one document to the next: both are set.
  auto page1 = [](TCanvas& c) {
    c.Pen().SetColor(0x000000);
    c.Brush().SetColor(0x0000FF);
    c.Rectangle(10, 20, 100, 60);
  };
  auto page2 = [](TCanvas& c) {
    c.Pen().SetColor(0x00FF00);
    c.Brush().SetColor(0xFF00FF);
    c.Ellipse(30, 40, 90, 200);
  };
  p.BeginDoc();
  ASSERT_EQ(p.Canvas().Width(), w);
  ASSERT_EQ(p.Canvas().Height(), h);
  page1(p.Canvas());
  page1(first.Canvas());
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  EXPECT_EQ(p.Canvas().Pixels(50, 40), 0xFFFFFFU) << "the next page starts white";
  page2(p.Canvas());
  page2(second.Canvas());
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  TBitmap back;
  back.LoadFromFile(Path("pages.png"));
  EXPECT_EQ(Differences(back, first), 0);
  back.LoadFromFile(Path("pages-2.png"));
  EXPECT_EQ(Differences(back, second), 0);
  EXPECT_FALSE(std::filesystem::exists(HostPath("pages-3.png")));
#endif
}

TEST_F(PrinterTest, AnOutputFileTakesTheSpoolersDataForEveryPage_Windows) {
  XAN_ONLY_ON_WINDOWS();
  XAN_SKIP_WITHOUT_PRINTER();
  TPrinter& p = Printer();
  p.SetResolution(20);
  p.SetTitle(u"xan one page");
  p.SetOutputFile(Path("one.prn"));
  p.BeginDoc();
  p.Canvas().Brush().SetColor(0x0000FF);
  p.Canvas().Rectangle(10, 20, 100, 60);
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  const std::string one = ReadBytes("one.prn");
  EXPECT_GT(one.size(), 0u) << "the printer driver's data goes into the file";
  p.SetTitle(u"xan two pages");
  p.SetOutputFile(Path("two.prn"));
  p.BeginDoc();
  p.Canvas().Rectangle(10, 20, 100, 60);
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  EXPECT_EQ(p.Canvas().Pixels(50, 40), 0xFFFFFFU) << "the next page starts white";
  p.Canvas().Ellipse(30, 40, 90, 200);
  p.EndDoc();
  const std::string two = ReadBytes("two.prn");
  EXPECT_GT(two.size(), one.size()) << "two pages give more data than one";
  if (one.rfind("%!PS", 0) != 0 || two.rfind("%!PS", 0) != 0) {
    GTEST_SKIP() << "the default printer's driver does not write PostScript: its pages and title "
                    "cannot be read back";
  }
  // A PostScript document: one "%%Page:" comment per page, the document's name as its title.
  EXPECT_EQ(CountLines(one, "%%Page:"), 1);
  EXPECT_EQ(CountLines(two, "%%Page:"), 2);
  EXPECT_EQ(CountLines(one, "%%Title: xan one page"), 1);
  EXPECT_EQ(CountLines(two, "%%Title: xan two pages"), 1);
}

TEST_F(PrinterTest, APixelIsOneResolutionStepOnPaperFromThePapersCorner_Windows) {
  XAN_ONLY_ON_WINDOWS();
  XAN_SKIP_WITHOUT_PRINTER();
#if defined(_WIN32)
  // The device's own measures, read from a context of the default printer.
  const std::wstring name = testing::TTestPrinter::DefaultPrinter();
  const HDC dc = ::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX), dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
  const int offX = ::GetDeviceCaps(dc, PHYSICALOFFSETX),
            offY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
  ::DeleteDC(dc);
  ASSERT_GT(dpiX, 0);
  ASSERT_GT(dpiY, 0);
  TPrinter& p = Printer();
  for (const int32_t resolution : {20, 72}) {
    p.SetResolution(resolution);
    p.SetOutputFile(Path("placed.prn"));
    p.BeginDoc();
    p.EndDoc();
    const std::string ps = ReadBytes("placed.prn");
    if (ps.rfind("%!PS", 0) != 0)
      GTEST_SKIP() << "the default printer's driver does not write PostScript";
    // The page's image: "x y translate", "w h scale" after the page's setup, before "image".
    const size_t page = ps.find("%%EndPageSetup");
    const size_t image = ps.find("\nimage", page);
    ASSERT_NE(page, std::string::npos);
    ASSERT_NE(image, std::string::npos);
    const std::string body = ps.substr(page, image - page);
    double x = 0, y = 0, w = 0, h = 0;
    bool found = false;
    for (size_t at = body.find(" translate"); at != std::string::npos && !found;
         at = body.find(" translate", at + 1)) {
      const size_t start = body.rfind('\n', at) + 1;
      const size_t next = body.find('\n', at) + 1;
      found = std::sscanf(body.c_str() + start, "%lf %lf translate", &x, &y) == 2 &&
              std::sscanf(body.c_str() + next, "%lf %lf scale", &w, &h) == 2;
    }
    if (!found) GTEST_SKIP() << "the driver's PostScript places the page in another way";
    EXPECT_NEAR(x, -offX, 0.5) << resolution << ": the page's corner is the paper's";
    EXPECT_NEAR(y, -offY, 0.5) << resolution;
    EXPECT_NEAR(w, double(p.PageWidth()) * dpiX / resolution, 1.0) << resolution;
    EXPECT_NEAR(h, double(p.PageHeight()) * dpiY / resolution, 1.0) << resolution;
  }
#endif
}

TEST_F(PrinterTest, PdfPagesRenderBackToTheirPixels_Linux) {
  XAN_ONLY_ON_LINUX();  // Windows writes the printer driver's data, not PDF
  if (std::system("pdftoppm -v > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  }
  TPrinter& p = Printer();
  p.SetResolution(50);
  p.SetTitle(u"xan test page");
  p.SetOutputFile(Path("doc.pdf"));
  p.BeginDoc();
  p.Canvas().Brush().SetColor(0x0000FF);
  p.Canvas().FillRect({20, 30, 120, 90});
  p.NewPage();
  p.Canvas().Brush().SetColor(0xFF0000);
  p.Canvas().FillRect({200, 300, 260, 500});
  p.EndDoc();
  EXPECT_EQ(ReadBytes("doc.pdf").substr(0, 5), "%PDF-");
  const std::string command = "pdftoppm -r 50 -png '" + HostPath("doc.pdf").string() + "' '" +
                              HostPath("page").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  struct TCheck {
    const char* File;
    TRect Rect;
    uint32_t Raster;  // 0x00RRGGBB
  };
  for (const TCheck& check : {TCheck{"page-1.png", {20, 30, 120, 90}, 0x00FF0000},
                              TCheck{"page-2.png", {200, 300, 260, 500}, 0x000000FF}}) {
    TBitmap page;
    page.LoadFromFile(Path(check.File));
    EXPECT_NEAR(page.Width(), 413, 1);
    EXPECT_NEAR(page.Height(), 585, 1);
    int wrong = 0;
    for (int32_t y = 0; y + 1 < page.Height(); ++y) {
      for (int32_t x = 0; x + 1 < page.Width(); ++x) {
        const TRect& r = check.Rect;
        const bool inside =
            x >= r.Left + 2 && x < r.Right - 2 && y >= r.Top + 2 && y < r.Bottom - 2;
        const bool outside =
            x < r.Left - 2 || x >= r.Right + 2 || y < r.Top - 2 || y >= r.Bottom + 2;
        const uint32_t px = page.ScanLine(y)[x];
        if ((inside && px != check.Raster) || (outside && px != 0x00FFFFFF)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << check.File;
  }
}

TEST_F(PrinterTest, OutputThatCannotBeWrittenEndsTheJob_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  TPrinter& p = Printer();
  p.SetResolution(10);
  p.SetOutputFile(Path("missing/dir/doc.pdf"));
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_FALSE(p.Printing());
  p.SetOutputFile(Path("missing/dir/page.png"));
  p.BeginDoc();
  EXPECT_THROW(p.EndDoc(), EFCreateError);
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.Canvas().Width(), 0);
#endif
}

TEST_F(PrinterTest, OutputThatCannotBeCreatedRefusesTheJob_Windows) {
  XAN_ONLY_ON_WINDOWS();
  XAN_SKIP_WITHOUT_PRINTER();
  TPrinter& p = Printer();
  p.SetResolution(10);
  p.SetOutputFile(Path("missing/dir/doc.prn"));
  // The spooler refuses the file when the document starts, or at the latest when it ends.
  bool refused = false;
  try {
    p.BeginDoc();
  } catch (const EFCreateError&) {
    refused = true;
  }
  if (!refused) {
    EXPECT_ANY_THROW(p.EndDoc());
  }
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.Canvas().Width(), 0);
}

}  // namespace
}  // namespace xan
