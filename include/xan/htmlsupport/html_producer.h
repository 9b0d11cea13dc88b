// THtmlProducer: fills an HTML template whose special tags "<#name parameters>" are replaced by
// the text an application callback returns, and reads and writes templates and results.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

namespace xan {

// Called by THtmlProducer::Convert for each special tag: TagName is the tag's name in lower case,
// Params its parameters without leading and trailing blanks, and Replacement comes in holding the
// whole tag text ("<#name params>"); what the callback leaves in it goes into the output. Left
// alone, the tag stays as it is; set to "", the tag disappears.
using TOnHTMLTagEvent =
    std::function<void(TObject* Sender, String TagName, String Params, String& Replacement)>;

// A template filler.
//
// A special tag is "<#", the tag name up to the first blank or ">", optionally a blank and the
// parameters, and ">". Any other "<" is ordinary text. Tags do not nest: the first ">" after
// "<#" ends the tag, also inside the parameters. A tag without ">" runs to the end of the
// template. Only the blank (code 32) separates the name from the parameters.
//
// One producer serves one thread at a time. No change notification; Assign is the base one.
class XAN_EXPORT THtmlProducer : public TComponent {
 public:
  // An empty template and result, no callback, no stream.
  explicit THtmlProducer(TComponent* AOwner = nullptr);
  // Frees the stream made by ConvertedHTMLAsStream, if any.
  ~THtmlProducer() override;

  // ---------------------------------------------------------------------------------------------
  // Properties

  const TOnHTMLTagEvent& OnHTMLTag() const noexcept { return FOnHTMLTag; }
  void SetOnHTMLTag(TOnHTMLTagEvent Value) { FOnHTMLTag = std::move(Value); }

  const String& Template() const noexcept { return FTemplate; }
  // The template becomes text; ConvertedHTML keeps the result of the last Convert.
  void SetTemplate(StringView text);

  // The result of the last Convert; empty before the first.
  const String& ConvertedHTML() const noexcept { return FConvertedHTML; }

  // ---------------------------------------------------------------------------------------------
  // Filling the template

  // Copies the template into ConvertedHTML, handing each special tag to OnHTMLTag and putting in
  // its place what the callback leaves in Replacement (the tag text itself without a callback).
  // Returns ConvertedHTML (valid until the next Convert or the producer's destruction).
  // The tag name is lower-cased ("A".."Z" only); the parameters are the text between the first
  // blank and the ">", without leading and trailing blanks. Replacements are not scanned again.
  // Template and callback are those of the moment Convert begins: a callback that sets new ones
  // (or calls Convert itself) affects the next Convert only.
  // Raises nothing itself, whatever the template; what the callback raises passes through, and
  // ConvertedHTML is then empty.
  //   "<p><#Date fmt=short></p>" => callback ("date", "fmt=short"), "<p>" + replacement + "</p>"
  //   "<#x   a b  >" => ("x", "a b")     "<#user >" => ("user", "")     "<#Date>" => ("date", "")
  //   "a<b" => "a<b"     "a<" => "a<"     "" => ""
  //   "x<#tail y" (no ">") => ("tail", "y"), the tag text "<#tail y"
  //   "x<#" => ("", ""), the tag text "<#"
  //   without callback: "<#x y>" => "<#x y>"
  const String& Convert();

  // ---------------------------------------------------------------------------------------------
  // Templates in, results out

  // Reads the template from a text file in the ANSI code page: the template is emptied and each
  // line (ended by CR LF, LF or CR, the last line also by the end of the file) is appended
  // followed by CR LF. An empty file gives an empty template.
  //   "a" LF "b" => u"a\r\nb\r\n"     "a" CR LF => u"a\r\n"     "" => u""
  // Raises EInOutError (EFOpenError when the file cannot be opened, and the template is then
  // unchanged); a failure while reading leaves the lines read so far in the template.
  void ReadTemplateFromFile(StringView FName);

  // Reads the template from the whole of InStream, from its start: each pair of bytes is one
  // UTF-16 code unit, low byte first (an odd last byte is dropped). The stream is left at its end.
  //   41 00 3C 00 23 00 => u"A<#"     (no bytes) => u""
  // Raises what the stream raises (EStreamError when it cannot be positioned at its start).
  void ReadTemplateFromStream(TStream& InStream);

  // A memory stream holding ConvertedHTML, positioned at 0. It holds the same bytes that
  // WriteConvertedHTMLToFile writes: the text in the ANSI code page, one byte per character, "?"
  // for a character the code page lacks. The stream belongs to the producer: the caller must not
  // free it, and it stays valid until the next call of this function or the producer's
  // destruction. Convert does not update it.
  //   ConvertedHTML u"<b>\u00e9\u20ac</b>" => 3C 62 3E E9 80 3C 2F 62 3E
  TStringStream* ConvertedHTMLAsStream();

  // Creates (or overwrites) the file and writes ConvertedHTML to it in the ANSI code page ("?"
  // for a character the code page lacks), with no line break added.
  // Raises EInOutError (EFCreateError when the file cannot be created).
  void WriteConvertedHTMLToFile(StringView FName);

 private:
  String FTemplate;
  TOnHTMLTagEvent FOnHTMLTag;
  // The position (from 1) of the template character Convert is at; 0 before the first Convert.
  int64_t FSPos = 0;
  String FConvertedHTML;
  std::unique_ptr<TStringStream> FStrStream;
};

}  // namespace xan
