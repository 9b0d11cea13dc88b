// TAssocArray: text keys mapped to variant values, looked up linearly in insertion order, with
// tolerant conversions of the values and an XML form on streams that reads back equal.
#pragma once

#include <cstdint>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"
#include "xan/platform/variant.h"
#include "xan/xanbase.h"

namespace xan {

// Entries are numbered 1..NumEntries() in the order they were added. Keys are unique under the
// comparison in force when they are added: with IgnoreCase (the default) a key has A-Z lowered
// before it is compared and before it is stored, so keys added in that mode are held in lower
// case; changing IgnoreCase later leaves the stored keys as they are.
//
// The keys and values live in two parallel arrays that grow in steps of Granularity entries
// (1024 at creation), so that appending rarely moves them; Capacity() is their length.
//
// Nothing raises for absent keys or bad indices: absent keys give Null, empty text or 0, indices
// out of range read as empty and are ignored by writers. Conversions the variant type cannot make
// raise its EVariantError; storage that cannot be had raises EXANDStructError
// "Component \"<Name>\": not enough memory on heap" (the array stays unchanged). There is no
// change notification.
//
// The XML form (WriteToXMLStream, ReadFromXMLStream), 8-bit text with CR LF line ends:
//   <?xml version="1.0" encoding="US-ASCII"?>                  only with CreateHeader
//   <assocarray dataid="Prices" ignorecase="true" entries="3">
//   <entry key="apples" type="Double" value="1.25"/>           one per entry, in order
//   <entry key="note" type="UString" value="&quot;fresh&quot; &amp; r&#233;gional"/>
//   <entry key="sizes" type="Array of Variant" low="0">        an array holds its elements,
//   <item1 type="Integer" value="3"/>                          named item1, item2, ... by depth
//   <item1 type="Null"/>
//   </entry>
//   </assocarray>
// type is the variant's type name (VarTypeAsText: "Integer", "UString", "Date", ...). Values:
// integers in decimal; Single, Double and Date (its day number) as the shortest decimal text that
// reads back to the same bits ("nan", "inf" and "-inf" included); Currency with up to four
// decimals; Boolean "true" / "false"; the three string types as their text. Empty and Null have
// no value. Keys, DataID and texts are escaped so that the stream holds printable ASCII only:
// & < > " become &amp; &lt; &gt; &quot;, and every character below 32 or above 126 becomes a
// character reference &#N; (a surrogate pair as one reference of its code point). So every
// array reads back with the same keys in the same order, the same value types and values, and
// its IgnoreCase; arrays nested up to 100 levels deep.
class XAN_EXPORT TAssocArray : public TComponent {
 public:
  // The deepest nesting of arrays inside a value that the XML form carries.
  static constexpr int32_t MaxXMLDepth = 100;

  // No entries, Granularity 1024, IgnoreCase true, DataID empty; both arrays hold 1024 entries.
  explicit TAssocArray(TComponent* AOwner = nullptr);
  ~TAssocArray() override;

  // ----------------------------------------------------------------------------------------------
  // Properties

  int32_t NumEntries() const noexcept { return FNEntries; }
  // The length of the two arrays: NumEntries plus the spare entries.
  int32_t Capacity() const noexcept { return static_cast<int32_t>(FDataArray.size()); }

  // The identifier of the data set; the XML operations take theirs as an argument.
  const String& DataID() const noexcept { return FDataID; }
  void SetDataID(StringView Value) { FDataID = Value; }
  bool IgnoreCase() const noexcept { return FIgnoreCase; }
  void SetIgnoreCase(bool Value) noexcept { FIgnoreCase = Value; }
  // Spare entries added whenever the arrays must grow. Stored as given; 0 or less adds none
  // (the arrays still always hold NumEntries entries).
  int32_t Granularity() const noexcept { return FGranularity; }
  void SetGranularity(int32_t Value) noexcept { FGranularity = Value; }

  // ----------------------------------------------------------------------------------------------
  // Entries by key. A key is found by comparing code unit by code unit, with A-Z lowered on both
  // sides under IgnoreCase; the first entry that matches is the hit.

  // Replaces the value of Key when it is there (the entry keeps its place), otherwise appends
  // an entry: NumEntries grows by one and, when the arrays are full, both are resized to
  // NumEntries + Granularity entries.
  //   IgnoreCase: Add("Width", 5), Add("WIDTH", 7) => one entry, key "width", value 7
  void Add(StringView Key, const Variant& Value);

  // Removes the entry of Key and returns true; false when the key is absent. The last entry
  // moves into the gap (so the order changes), and the arrays keep their length.
  //   keys a, b, c: Remove("a") => keys c, b
  bool Remove(StringView Key);

  // A copy of the value of Key; Null when the key is absent.
  Variant Resolve(StringView Key) const;

  // The value as text by Variant::AsString; "" when the key is absent or the value is Null or
  // Empty. Raises EVariantError for an array and for a date out of range.
  //   5 => "5",  true => "True",  1.5 => "1.5",  u"abc" => "abc"
  String ResolveAsString(StringView Key) const;

  // The value as a double, limited to -uc_MaxDouble..uc_MaxDouble; 0 when the key is absent.
  //   integers of 8 to 32 bits, Int64, Single, Double, Currency: the value
  //   texts (String, UString, OleStr): the leading number, read by the floating-point state
  //     machine of the feature matrix (blanks, sign, digits, "." or "," as the separator, an
  //     exponent "E" or "e" whose digits beyond a value of 4200 are not taken); a text that
  //     does not begin with a number gives 0
  //   Null, Empty, Boolean, Date, UInt64 and every other type: 0
  //   "3,25 m" => 3.25,  " -1.5e2x" => -150,  "abc" => 0,  "1.2.3" => 0,  "1e5000" => 1.7E308,
  //   true => 0
  double ResolveAsNumber(StringView Key) const;

  // The value as a 32-bit integer; 0 when the key is absent.
  //   integers of 8 to 32 bits and Int64: Variant::AsInt32, which raises EVariantError beyond the
  //     32-bit range
  //   Single, Double: rounded, halves to even (2.5 => 2, 3.5 => 4); EVariantError for NaN and
  //     beyond the 32-bit range
  //   texts: blanks skipped, an optional sign, then the decimal digits up to the first other
  //     character, limited to the 32-bit range; no digits give 0
  //     " +42abc" => 42,  "12.7" => 12,  "abc" => 0,  "99999999999" => 2147483647
  //   Currency, Null, Empty, Boolean, Date, UInt64 and every other type: 0
  int32_t ResolveAsInt(StringView Key) const;

  // ----------------------------------------------------------------------------------------------
  // Entries by index, 1..NumEntries

  // The key of entry ix; "" out of range.
  String GetKeys(int32_t ix) const;
  String Keys(int32_t ix) const { return GetKeys(ix); }
  // Replaces the key of entry ix as given: not lowered, not checked for uniqueness. Out of
  // range: nothing.
  void SetKeys(int32_t ix, StringView v);

  // The value of entry ix; out of range the empty string (a UString), not Null.
  Variant GetValues(int32_t ix) const;
  Variant Values(int32_t ix) const { return GetValues(ix); }
  // Replaces the value of entry ix. Out of range: nothing.
  void SetValues(int32_t ix, const Variant& v);

  // No entries; both arrays are reset to Granularity entries (none when it is 0 or less).
  void Clear();

  // ----------------------------------------------------------------------------------------------
  // Copying

  // From another TAssocArray (or a descendant): NumEntries, Granularity, IgnoreCase, DataID and
  // copies of all keys and values; the arrays then hold exactly NumEntries entries. Other sources
  // as TPersistent::Assign.
  void Assign(const TPersistent& Source) override;
  // Into another TAssocArray: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  // ----------------------------------------------------------------------------------------------
  // The XML form (see the class comment)

  // Reads the tags of InStream from its position until an "assocarray" element whose dataid
  // equals DataID (exactly) is found, and replaces the entries by the entries it holds, in their
  // order; IgnoreCase is taken from it when it says (keys read under IgnoreCase are lowered, and
  // a key that comes twice keeps the later value); DataID() becomes DataID; Granularity stays.
  // The stream is left after the element's end tag. Tags and text other than these are skipped,
  // letter case of tag and attribute names does not matter, and the entries attribute is not
  // needed. False, with the array unchanged, when no such element follows (the stream is then at
  // its end) or when an entry in it has an unknown type, a value its type cannot take or arrays
  // nested deeper than MaxXMLDepth. Raises what the stream raises.
  bool ReadFromXMLStream(TStream& InStream, StringView DataID);

  // Writes the array as an "assocarray" element with the given DataID at the stream's position,
  // preceded by an XML declaration when CreateHeader is set. Raises what the stream raises, and
  // EXANDStructError "...: value nested too deeply" (before writing anything) for a value
  // holding arrays nested deeper than MaxXMLDepth.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, StringView DataID) const;

  // Adds every item name=value of an XML attribute text as an entry (by Add) whose key is the
  // name without the blanks around it and whose value is the value's text as a UString, with
  // the escapes of the XML form resolved. The items are read as ScanForXMLAttrib reads them: a
  // value in double quotes may hold blanks and "=", an unquoted one ends at a blank or a double
  // quote. Items with an empty name are skipped; a malformed item (a double quote in a name, a
  // second "=") ends the reading, the items before it stay added. Returns the number of items
  // added or replaced.
  //   'width=100 height="20 px"' => 2: width = "100", height = "20 px"
  //   'a="x &amp; y" =5 b=1=2 c=3' => 1: a = "x & y" (the empty name skipped, then b is malformed)
  int32_t AddXMLAttributes(StringView Attributes);

 private:
  // The index (0-based) of the entry of Key, or -1.
  int32_t IndexOf(StringView Key) const noexcept;

  int32_t FNEntries = 0;
  std::vector<Variant> FDataArray;
  std::vector<String> FKeyArray;
  int32_t FGranularity = 1024;
  bool FIgnoreCase = true;
  String FDataID;
};

}  // namespace xan
