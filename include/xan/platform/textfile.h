// The open text file: a file opened by the caller and read or written character by character and
// line by line in the ANSI code page, with CR LF line ends on writing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "xan/platform/exceptions.h"
#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

namespace xan {

// How a text file is opened.
enum TTextFileMode : uint8_t {
  tfmRead,     // an existing file, for reading from its start
  tfmRewrite,  // created, or emptied when it exists, for writing
  tfmAppend    // an existing file, for writing after its end
};

// How the characters of a text file are stored as bytes.
//   teAnsi: one byte per character in the ANSI code page (Windows-1252), the default and the
//           encoding of every file the library's own readers and writers document;
//   teUtf8: UTF-8, for files of other programs. On reading, a byte order mark at the start of the
//           file is skipped, each character above U+FFFF comes as its two UTF-16 units (ReadChar
//           hands out one at a time), and bytes that are not valid UTF-8 read as U+FFFD; on
//           writing, no byte order mark is written and a lone surrogate is written as U+FFFD.
enum TTextEncoding : uint8_t { teAnsi, teUtf8 };

// Error codes of EInOutError that the text file raises itself (the host's errors carry errno).
inline constexpr int32_t ioReadPastEnd = 100;       // "Read beyond end of file"
inline constexpr int32_t ioFileNotOpen = 103;       // "File not open"
inline constexpr int32_t ioNotOpenForInput = 104;   // "File not open for input"
inline constexpr int32_t ioNotOpenForOutput = 105;  // "File not open for output"
inline constexpr int32_t ioInvalidNumber = 106;     // "Invalid numeric format"

// A text file, buffered, read or written from its current position.
//
// Characters are bytes of the ANSI code page (Windows-1252) in the file: each byte read becomes
// its character, and each character written becomes its byte, or '?' when the code page has
// none. A file opened with teUtf8 is read and written as UTF-8 instead (see TTextEncoding).
// Reading takes CR LF, a lone LF and a lone CR each as one line end; writing ends lines with
// CR LF.
//   a UTF-8 file holding "Z\xC3\xBCrich": read with teAnsi => u"Z\u00C3\u00BCrich" ("ZÃ¼rich"),
//                                          read with teUtf8 => u"Z\u00FCrich" ("Zürich")
//
// The file belongs to the object: it is closed by Close, by opening another file, or by the
// destructor. Every failure raises EInOutError: the host's (errno, for instance an open of a
// missing file, as EFOpenError or EFCreateError) or the text file's own codes above, for
// instance reading a file opened for writing (ioNotOpenForInput).
class XAN_EXPORT TTextFile {
 public:
  // A text file object with no file open.
  TTextFile() noexcept;
  // Opens FileName in Mode, as Open does.
  TTextFile(StringView FileName, TTextFileMode Mode, TTextEncoding Encoding = teAnsi);
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;
  TTextFile(TTextFile&&) noexcept;
  TTextFile& operator=(TTextFile&&) noexcept;
  // Closes the file; a failure to write the last output is lost (call Close to see it).
  ~TTextFile();

  // ---------------------------------------------------------------------------------------------
  // Opening and closing

  // Closes any file held, then opens FileName in Mode, its characters stored in Encoding.
  // Raises EFOpenError (tfmRead, tfmAppend: the file does not exist or cannot be opened) or
  // EFCreateError (tfmRewrite).
  void Open(StringView FileName, TTextFileMode Mode, TTextEncoding Encoding = teAnsi);
  // Writes pending output and closes the file; nothing happens when no file is open. The file is
  // closed even when the last write fails and raises EInOutError.
  void Close();
  bool IsOpen() const noexcept { return FStream != nullptr; }
  TTextFileMode Mode() const noexcept { return FMode; }
  TTextEncoding Encoding() const noexcept { return FEncoding; }
  const String& FileName() const noexcept { return FFileName; }

  // Starts reading the file again from its start. A file opened for writing gets its pending
  // output written and is reopened for reading (its mode becomes tfmRead).
  void Rewind();

  // ---------------------------------------------------------------------------------------------
  // Reading (tfmRead only)

  // Reads one character: true and the character in C, or false at the end (C unchanged).
  // Line-end characters are read as they stand (CR 13, LF 10).
  bool ReadChar(Char& C);

  // The next character without reading it; false at the end.
  bool PeekChar(Char& C);

  // Reads the rest of the current line and the line end after it, and returns the line without
  // its line end. At the end of the file the result is empty.
  //   "ab" CR LF "cd" => u"ab", then u"cd", then u"" (Eof() is true after u"cd")
  //   "a" CR "b" LF => u"a", then u"b"
  String ReadLn();
  // The same into Line, reusing its storage: the form for loops over many lines.
  void ReadLn(String& Line);
  // The same line as its bytes as they stand in the file (ANSI or UTF-8), without converting
  // them: the view points into the file's buffer (or a copy the file keeps) and stays valid
  // until the next read or close. For readers that parse most of a line as ASCII. (In a UTF-8
  // file, the second half of a character that ReadChar handed out half of is not among them: it
  // is only handed out by ReadChar, PeekChar and ReadLn.)
  //   "ab" CR LF "cd" => "ab", then "cd", then "" (Eof() is true after "cd")
  std::string_view ReadLnBytes();

  // Reads a decimal integer: skips characters of code 32 and below (blanks, tabs, line ends),
  // then reads the characters up to the next one of code 32 or below (not consumed), which must
  // be an optional sign followed by decimal digits within the signed 32-bit range. Raises
  // EInOutError with ioInvalidNumber when they are not (they are consumed), and with
  // ioReadPastEnd when the file ends before any such character.
  //   "  42 x" => 42 (the next read starts at " x"),  "\r\n-7\r\n" => -7,
  //   "12ab" => raises,  "2147483648" => raises,  "" => raises
  int32_t ReadInteger();

  // True when no character is left to read; always true for a file opened for writing.
  bool Eof();
  // The number of bytes from the read position to the end of the file (0 for a file opened for
  // writing): an upper bound of what is left to read, for readers that size their storage.
  int64_t BytesLeft();

  // ---------------------------------------------------------------------------------------------
  // Writing (tfmRewrite, tfmAppend only)

  // Writes the text, without a line end.
  void Write(StringView Text);
  // Writes the text followed by CR LF.
  void WriteLn(StringView Text = {});
  // Hands pending output to the host, so that other readers of the file see it.
  void Flush();

 private:
  TStream& Input();
  TStream& Output();
  void SkipByteOrderMark();
  // Appends Text in the file's encoding to the pending output.
  void AppendEncoded(StringView Text);
  // Hands the pending output to the stream.
  void PushOutput();

  std::unique_ptr<TFileStream> FStream;
  String FFileName;
  TTextFileMode FMode = tfmRead;
  TTextEncoding FEncoding = teAnsi;
  Char FPendingLow = 0;    // teUtf8: the second unit of a character ReadChar handed out half of
  std::string FLineBytes;  // ReadLnBytes' copy of a line that crosses the end of the buffer
  // Written text in the file's encoding not yet handed to the stream: it goes in blocks of the
  // stream's buffer size, which the stream writes through, so that a line costs no call of it.
  std::string FOutBytes;
};

}  // namespace xan
