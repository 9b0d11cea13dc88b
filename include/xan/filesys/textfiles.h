// Text-file utilities: appending lines, repairing line ends, reading words and the last lines,
// counting lines, searching, recognising an encoding by its first bytes, the ASC data header.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/stringlist.h"
#include "xan/platform/strings.h"
#include "xan/platform/textfile.h"
#include "xan/xanbase.h"

namespace xan {

// Functions that take a file name open and close the file themselves; those that take an open
// TTextFile work on the caller's file and leave it open. Text files hold the ANSI code page;
// every reader of a text file takes CR LF, a lone LF and a lone CR each as one line end, counts a
// last line without a line end as a line, and reads NUL bytes and lines of any length as
// characters like any other. (The stream form of ReadHeaderOfASC ends its lines at LF only.)
//
// Errors: a file that cannot be opened raises EFOpenError (EFCreateError for a file to be
// created), an EInOutError whose code is the host's error number and whose message names the
// file; a failing read or write raises EInOutError too. The exceptions are stated below.

// The encoding of a text file as its first bytes show it.
enum TTextfileType : uint8_t {
  tftUnicode_le,   // FF FE: UTF-16, low byte first
  tftUnicode_be,   // FE FF: UTF-16, high byte first
  tftUnicode4_le,  // FF FE 00 00: UTF-32, low byte first
  tftUnicode4_be,  // 00 00 FE FF: UTF-32, high byte first
  tftRTF,          // "{\r": rich text
  tftUTF8,         // EF BB BF: UTF-8
  tftUnknown       // anything else
};

// =================================================================================================
// Writing

// Appends Line and CR LF to the file, creating the file when it does not exist. An existing file
// that cannot be opened for writing raises EFOpenError (it is never replaced); a file that cannot
// be created raises EFCreateError. Characters without a byte in the ANSI code page become '?'.
//   ("log.txt", "a") on a missing file => the file holds "a" CR LF; again ("b") => "a" CR LF "b" CR
//   LF
XAN_EXPORT void AppendToTextFile(StringView FileName, StringView Line);

// The same with each text of Lines in turn, each followed by CR LF; an empty list still creates a
// missing file.
XAN_EXPORT void AppendToTextFile(StringView FileName, const TStringList& Lines);

// Copies the input file to the output file (created, or replaced) byte for byte and gives every
// CR a LF after it: a CR not followed by a LF gets one, also at the end of the file; the byte that
// follows a CR is copied without being looked at again, so the second CR of a CR CR pair gets no
// LF of its own. A lone LF is copied unchanged.
//   "a" CR "b" => "a" CR LF "b",  "a" CR => "a" CR LF,  "a" CR CR "b" => "a" CR LF CR "b",
//   "a" LF "b" => "a" LF "b",  "a" CR LF => "a" CR LF,  "" => ""
// The output is written in blocks of 256 KiB, so another process reading the output file while
// it is being written sees it grow block by block. Input and output may be the same file name:
// the input is then read whole before the file is replaced. A missing input raises EFOpenError
// and leaves the output alone; an output that cannot be created raises EFCreateError.
XAN_EXPORT void EnsureCRLFInFile(StringView InFileName, StringView OutFileName);

// =================================================================================================
// Reading an open text file

// The next word: characters of code 32 and below (blanks, tabs, line ends, other control
// characters) are skipped, then the characters above 32 are collected up to the next character of
// code 32 or below, which is consumed. Empty at the end of the file. Raises EInOutError when the
// file is not open for reading.
//   "  alpha beta" => "alpha", then "beta", then ""
//   "x" CR LF "y" => "x", then "y"
XAN_EXPORT String ReadNextWordInTextFile(TTextFile& TextFile);

// The last N lines of the file, oldest first, as an array of exactly N texts; a file of L < N
// lines gives N - L empty texts followed by its L lines. NumLines is set to the number of all
// lines of the file. The file is read from its start and rewound afterwards (a file opened for
// writing is reopened for reading, as TTextFile::Rewind does). N < 1 gives an empty array, with
// NumLines counted all the same. The array is as long as N: ask only for what memory can hold.
//   N 3 on "a", "b" => ("", "a", "b"), NumLines 2;  N 3 on "a".."e" => ("c", "d", "e"), 5;
//   N 0 on "a" => (), 1
XAN_EXPORT TStrArray ReadLastNLinesOfTextFile(TTextFile& TextFile, int32_t N, int32_t& NumLines);

// The same on the file FileName, opened and closed here.
XAN_EXPORT TStrArray ReadLastNLinesOfTextFile(StringView FileName, int32_t N, int32_t& NumLines);

// The number of lines of the file: rewinds it, reads it line by line, and after every 1000th line
// calls Feedback (when set) with Sender null, StateCnt the lines counted so far (1000, 2000, ...)
// and PercentDone 0; then rewinds it again. Counts beyond the 32-bit range give 2147483647.
//   "" => 0,  "a" => 1,  "a" CR LF => 1,  "a" CR "b" LF "c" CR LF => 3,  2500 lines => 2500 with
//   the feedback called for 1000 and 2000
XAN_EXPORT int32_t CountLinesInTextFile(TTextFile& TextFile, TFeedbackProc Feedback);

// The same on the file FileName, opened and closed here, with the same count and the same
// feedback calls; it reads the file in large blocks, so the feedback for the lines of one block
// comes after the block has been read.
XAN_EXPORT int32_t CountLinesInTextFile(StringView FileName, TFeedbackProc Feedback);

// =================================================================================================
// Recognising and searching files

// The encoding of the file by its first four bytes, tested in this order:
//   EF BB BF => tftUTF8,  FF FE 00 00 => tftUnicode4_le,  00 00 FE FF => tftUnicode4_be,
//   FF FE => tftUnicode_le,  FE FF => tftUnicode_be,  7B 5C 72 ("{\r") => tftRTF,
//   anything else (also an empty file) => tftUnknown
// A file shorter than four bytes is not an error; its missing bytes match no pattern byte, so
// the two bytes FF FE alone (or FF FE 00) give tftUnicode_le.
// A file that cannot be opened raises EFOpenError.
XAN_EXPORT TTextfileType CheckTextFileType(StringView FileName);

// Where SearchText first occurs in the file, as a 1-based position in its lines joined without
// their line ends, if that is within the first MaxChars characters. Lines are read in turn while
// nothing is found and fewer than MaxChars characters have been passed; a match at position p of a
// line counts the characters of the lines before it plus p, and is reported when that count is at
// most MaxChars (else the search ends). 0 when nothing is reported (also for MaxChars < 1). With
// IgnoreCase, "A".."Z" and "a".."z" are compared alike (other letters by their case). An empty
// SearchText is never found.
//   ("cd", max 10) in "ab", "xcd" => 4;  ("cd", max 3) => 0;  ("CD", IgnoreCase) => 4
XAN_EXPORT int32_t DetectStringInFile(StringView FileName, StringView SearchText, bool IgnoreCase,
                                      int32_t MaxChars);

// The first line of the file that contains SearchText: returns the 1-based position of the match
// in that line and passes the line out as it stands in the file; 0 and an empty Line when no line
// contains it (an empty SearchText is never found). With IgnoreCase both texts are compared in
// the locale's full lower case (ICU), so "É" matches "é".
//   ("cd") in "ab", "xcdx" => 2, Line "xcdx";  ("CAF\u00c9", IgnoreCase) in "un caf\u00e9" => 4
XAN_EXPORT int32_t FindFirstMatchInTextFile(StringView FileName, StringView SearchText,
                                            bool IgnoreCase, String& Line);

// =================================================================================================
// ASC data header
//
// The first four lines of an ASC data file: a comment line; the first and the second header
// number, decimal integers greater than 0 at the start of lines 2 and 3 (the rest of each line
// is ignored); four flag words in any letter case, separated by blanks or tabs (or nothing): the
// first three "TRUE" or "FALSE", the fourth true when it begins with "TRUE".
//
// Result: 0 the header was read; -1 the first number is missing, unreadable or not greater than
// 0; -2 the same for the second; -3 one of the first three flag words is neither TRUE nor FALSE;
// -4 the comment line holds a LF (which a line read here never does: every line end ends it).
// Comment is always set. Number1 is set to the number read (0 when none could be read); Number2
// likewise when the first number was good, else it is left alone. The flags are set only when
// both numbers were good: all false first, then each flag as its word is read, so that a -3 leaves
// the flags before the bad word set.
//   "title", "12", "0", "TRUE FALSE TRUE TRUE" => -2;  "title", "-1" => -1
//   "title", "5 rows", "3", "true  false TRUE xyz" => 0, 5, 3, true, false, true, false
//   "t", "1", "1", "TRUEFALSE TRUE TRUE" => 0, true, false, true, true
//   "t", "1", "1", "TRUE MAYBE TRUE TRUE" => -3, flag 1 true

// The header of the file FileName (ANSI characters). The numbers are read with TTextFile's
// integer reader: white space and line ends before a number are skipped, and a text that is not a
// whole number (up to the next character of code 32 or below) counts as unreadable (-1, -2), not
// as an error. A file that cannot be opened raises EFOpenError.
XAN_EXPORT int32_t ReadHeaderOfASC(StringView FileName, String& Comment, int32_t& Number1,
                                   int32_t& Number2, bool& Flag1, bool& Flag2, bool& Flag3,
                                   bool& Flag4);

// The header read from the stream's position (each byte the character of the same code); the
// stream is left after the last line read. Lines are read as ReadLnStream reads them in mode 0:
// a line ends at a LF, and the CR LF or LF is dropped; a lone CR stays in the line. The numbers
// are read with ScanStreamDecimal: blanks, CR and LF before a number are skipped, no digits give
// 0 (unreadable), and beyond the 32-bit range the value wraps round; the rest of the number's
// line is skipped. Raises only what the stream raises.
//   "ti" CR "tle" CR LF "5" LF "3" LF "TRUE TRUE TRUE TRUE" => 0, comment "ti" CR "tle"
XAN_EXPORT int32_t ReadHeaderOfASC(TStream& Stream, String& Comment, int32_t& Number1,
                                   int32_t& Number2, bool& Flag1, bool& Flag2, bool& Flag3,
                                   bool& Flag4);

}  // namespace xan
