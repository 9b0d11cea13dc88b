// Encodings from one stream into another: Base64 (the standard alphabet, "=" padding, optional
// lines of 60 characters) and ASCII85 (with its own short form of the last group).
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/streams.h"

namespace xan {

// Every function here reads InStream from its position to the end of its data and writes at
// OutStream's position; neither stream is rewound, resized or closed. Both streams are read and
// written in blocks, so memory and file streams are coded at memory speed. Stream errors (a
// failed read or write) pass to the caller. Passing one stream as both arguments is allowed but
// gives no useful text: the output overwrites the input not yet read.

// ================================================================================================
// Base64

// Writes the bytes of InStream as Base64 text. Every 45 bytes make a line of 60 characters; the
// last line may be shorter: a final group of 1 byte gives 2 characters and "==", of 2 bytes 3
// characters and "=". With LineBreaks, CR LF (13, 10) follows every line, the last included.
// Empty input writes nothing; input of a multiple of 45 bytes ends with a full line.
//   "Man" => "TWFu\r\n"   "M" => "TQ==\r\n"   "Ma" => "TWE=\r\n"   (LineBreaks = true)
//   "foobar" => "Zm9vYmFy"                                          (LineBreaks = false)
XAN_EXPORT void EncodeBase64(TStream& InStream, TStream& OutStream, bool LineBreaks);

// Decodes Base64 text from InStream into OutStream and returns 0, or -1 when a character outside
// "+".."z" (codes 43..122) is met. CR and LF are skipped wherever they occur; the other characters
// form groups of four. A group yields its first byte; a "=" in its third place ends it there,
// else it yields its second byte and, unless its fourth character is "=", its third.
// On a character outside "+".."z" decoding stops: the bytes of the groups before it are written,
// the group it falls in yields nothing, and InStream is left just after that character.
// Choices for text that is not strictly Base64 (the bytes written stay well defined):
// - a last group of 2 or 3 characters (the text's length, without CR and LF, not a multiple of
//   4) is decoded as though padded with "=", giving 1 or 2 bytes; a single last character gives
//   nothing;
// - "-" and "_" are read as the digits 62 and 63, as in the URL-safe alphabet;
// - every other character of "+".."z" outside the alphabet, and "=" in the first two places of
//   a group, counts as the digit 0 and does not stop the decoding.
//   "TWFu" => "Man", 0      "TQ==TWE=" => "MMa", 0     "Zm9v\r\nYmFy" => "foobar", 0
//   "TWE" => "Ma", 0        "TWFu TWFu" => "Man", -1   "" => "", 0
XAN_EXPORT int32_t DecodeBase64(TStream& InStream, TStream& OutStream);

// ================================================================================================
// ASCII85

// Writes the bytes of InStream as ASCII85 text: each group of 4 bytes, read as a big-endian
// number, as 5 base-85 digits, most significant first, digit d as the character d + 33 ("!" to
// "u"); a group of four zero bytes as "z". A last group of n = 1..3 bytes is read as an n-byte
// big-endian number and written as n + 1 digits (this short form is not the zero-padded one of
// PostScript: one byte "A" gives "!b"). Groups written as digits are counted; with LineBreaks,
// CR LF follows every 12th (60 characters; "z" groups do not count). The text ends with "~>";
// no opening delimiter is written.
//   00 00 00 00 => "z~>"     00 00 00 00 00 => "z!!~>"     "ABCD" => "5sdq,~>"
//   "A" => "!b~>"            empty => "~>"
XAN_EXPORT void EncodeASCII85(TStream& InStream, TStream& OutStream, bool LineBreaks);

// Decodes ASCII85 text from InStream into OutStream. CR and LF are skipped everywhere. A "z" at
// the start of a group yields four zero bytes; otherwise up to five characters "!".."u" form a
// group, and a group of k characters (k = 2..5) yields k - 1 bytes: the value of its digits, as
// a (k - 1)-byte big-endian number (its low-order bytes). "~" ends the data: the characters
// before it form the last group (one character yields nothing), and nothing after the "~" is
// read. Without "~" the end of the input ends the data the same way, an unfinished group
// included. Other characters are skipped without stopping the decoding; the result records
// them: -2 when the last of them was a "z" inside a group, -1 otherwise, 0 when there was none.
//   "z~>" => 00 00 00 00, 0      "5sdq,~>" => "ABCD", 0      "!b~>" => "A", 0
//   "zz~>" => eight zero bytes   "!!z!!~>" => 00 00 00, -2   "5sdq, ~>" => "ABCD", -1
XAN_EXPORT int32_t DecodeASCII85(TStream& InStream, TStream& OutStream);

}  // namespace xan
