// The printer: a page raster of A4 paper at a chosen resolution, and the print job that takes the
// pages, whose host part (PDF, PNG, the print service) comes from posix/printer.inc.
#include <algorithm>
#include <cmath>

#include "simple_text.h"
#include "xan/platform/graphics.h"

// The host's print job (TPrinter::TJob) must be complete before the code below uses it.
#if defined(_WIN32)
#include "win32/printer.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/printer.inc"
#else
#error "xan: printing has no implementation for this host yet"
#endif

namespace xan {

TPrinter::TPrinter() {
  FCanvas.Font().SetPixelsPerInch(FResolution);
  FCanvas.Font().SetSize(8);
}

TPrinter::~TPrinter() {
  EndJob();
}

int32_t TPrinter::PageWidth() const noexcept {
  return static_cast<int32_t>(std::lround(210.0 * FResolution / 25.4));
}

int32_t TPrinter::PageHeight() const noexcept {
  return static_cast<int32_t>(std::lround(297.0 * FResolution / 25.4));
}

void TPrinter::SetResolution(int32_t Value) {
  if (FPrinting) throw EPrinter(u"Cannot change the resolution while printing");
  FResolution = std::clamp(Value, 1, 1200);
  // Text keeps its size on paper.
  TFont& font = FCanvas.Font();
  const int32_t size = font.Size();
  font.SetPixelsPerInch(FResolution);
  font.SetSize(size);
}

void TPrinter::AddPage() {
  FPage.assign(static_cast<size_t>(int64_t{PageWidth()} * PageHeight()), 0x00FFFFFF);
  FCanvas.Attach(FPage.data(), PageWidth(), PageHeight());
  FCanvas.MoveTo(0, 0);
  ++FPageNumber;
}

void TPrinter::EndJob() noexcept {
  FJob.reset();
  FCanvas.Attach(nullptr, 0, 0);
  std::vector<uint32_t>().swap(FPage);
  FPrinting = false;
  FPageNumber = 0;
}

void TPrinter::BeginDoc() {
  if (FPrinting) throw EPrinter(u"Printing already in progress");
  FJob = std::make_unique<TJob>(FOutputFile, FTitle, FResolution, PageWidth(), PageHeight());
  try {
    FPrinting = true;
    AddPage();
  } catch (...) {
    EndJob();
    throw;
  }
}

void TPrinter::NewPage() {
  if (!FPrinting) throw EPrinter(u"Printer is not printing");
  try {
    FJob->Page(FPage.data());
    AddPage();
  } catch (...) {
    EndJob();
    throw;
  }
}

void TPrinter::EndDoc() {
  if (!FPrinting) throw EPrinter(u"Printer is not printing");
  try {
    FJob->Page(FPage.data());
    FJob->Finish();
  } catch (...) {
    EndJob();
    throw;
  }
  EndJob();
}

void TPrinter::Abort() noexcept {
  if (FPrinting) EndJob();
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

}  // namespace xan
