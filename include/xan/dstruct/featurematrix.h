// TFeatureMatrix: a table of objects x features whose values are kept as text and checked
// against each feature's kind, with its line-oriented text file and feature-name templates.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/format_settings.h"
#include "xan/platform/large_blocks.h"
#include "xan/platform/strings.h"
#include "xan/platform/textfile.h"
#include "xan/xanbase.h"

namespace xan {

// ================================================================================================
// Feature kinds and properties

// The kind of a feature's values.
enum TFeatKind : uint8_t { fkUndefined, fkInteger, fkDouble, fkString, fkTriState };

// Display names of the kinds, indexed by TFeatKind. The file format spells kinds differently
// ("fkInteger", ...).
inline constexpr std::array<StringView, 5> FEATKINDIDS = {u"undefined", u"integer", u"double",
                                                          u"string", u"tristate"};

// The properties of one feature: plain public fields, no change notification. A matrix owns one
// per feature; changing them directly does not notify the matrix.
class XAN_EXPORT TFeatMatProps : public TComponent {
 public:
  // A properties object with the defaults of Clear.
  explicit TFeatMatProps(TComponent* AOwner = nullptr);
  ~TFeatMatProps() override;

  // The defaults: FeatNum 0, FeatName "undefined", FeatKind fkUndefined, Comment and
  // PresetValues empty, Sorted false, GUIElem null.
  void Clear();

  // From another TFeatMatProps (or a descendant): all seven fields. Other sources as
  // TPersistent::Assign, which raises EConvertError when they cannot copy themselves.
  void Assign(const TPersistent& Source) override;
  // Into another TFeatMatProps: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  int32_t FeatNum = 0;  // a number the client gives the feature
  String FeatName;      // its name
  TFeatKind FeatKind = fkUndefined;
  String Comment;
  String PresetValues;  // free text, never interpreted by the library
  bool Sorted = false;
  void* GUIElem = nullptr;  // for the client's use; never used or saved by the library
};

// ================================================================================================
// TFeatureMatrix
//
// Features are numbered 1..NFeatures() and objects 1..NObjects(); every feature has one
// TFeatMatProps, owned by the matrix, and one value per object. A value is text; the empty text
// means "no value". The typed writers check a value against its feature's kind; the typed
// readers check the stored text, whatever the kind.
//
// Errors. Indices out of range never raise: readers give "", 0, 0.0 or tsUndefined, writers and
// structural operations do nothing, Fill returns false. Kind and value errors raise
// EXANDStructError "Component \"<Name>\": <reason>" and leave the matrix unchanged. Storage
// that cannot be had raises EXANDStructError "...: not enough memory on heap" (the matrix stays
// unchanged); so do more than MaxFeatures features or MaxValues values. Negative counts raise
// EXANDStructError "...: negative number of features" / "...: negative number of objects".
//
// Notification: every operation that changes values or sizes calls Changed() (OnChange(this))
// once; composite operations once per size change they make and once at their end, as listed.
// SetFeatType, RenumberFeatures, GenerateFeatNames, changes made directly to a properties object
// and Assign send none (Assign only through its change of NFeatures).
//
// The file (Save, SaveToOpenFile; Load, LoadFromOpenFile), one item per line:
//   #featdef <NFeatures> 1
//   <i> fplFeatNum <FeatNum>          six lines per feature i = 1..NFeatures, in this order;
//   <i> fplFeatName <FeatName>        an empty property is written as its key and one blank
//   <i> fplFeatKind <fkUndefined|fkInteger|fkDouble|fkString|fkTriState>
//   <i> fplComment <Comment>
//   <i> fplPresets <PresetValues>
//   <i> fplSorted <TRUE|FALSE>
//   #featvals <NFeatures> <NObjects>
//   <f> <o> <value>                   per object o, per feature f, non-empty values only
//   #featend
// Texts are written as they are held, without escapes. So a writer must expect: values lose
// their leading and trailing blanks and properties their trailing blanks; an empty FeatName
// reads back as "undefined"; a value or property holding a line break cannot be read back, and
// an empty line inside the values block ends it. Everything else reads back equal.
class XAN_EXPORT TFeatureMatrix : public TComponent {
 public:
  // The most features a matrix takes. More are refused as a storage failure, so that a damaged
  // count in a file cannot claim the whole memory.
  static constexpr int32_t MaxFeatures = 1 << 20;
  // The most values (NFeatures x NObjects) a matrix takes, refused beyond in the same way: 2^28
  // values, whose table alone takes 4 GiB, so that "#featvals 1 2000000000" in a damaged file
  // is refused at once rather than asking for 32 GiB.
  static constexpr uint64_t MaxValues = uint64_t{1} << 28;

  // An empty matrix: no features, no objects, no callback.
  explicit TFeatureMatrix(TComponent* AOwner = nullptr);
  ~TFeatureMatrix() override;

  // ----------------------------------------------------------------------------------------------
  // Sizes

  int32_t NFeatures() const noexcept { return FNFeats; }
  int32_t NObjects() const noexcept { return FNObjs; }

  // Sets the number of features: removed features take their properties along, new ones get
  // default properties and empty values; the values within the new bounds stay. Notifies.
  // Raises EXANDStructError for a negative count, beyond MaxFeatures or MaxValues, or when
  // memory fails.
  void SetNFeats(int32_t count);
  // Sets the number of objects; the values within the new bounds stay, new ones are empty.
  // Notifies. Raises as SetNFeats.
  void SetNObjs(int32_t count);
  // The same two under the property names.
  void SetNFeatures(int32_t count) { SetNFeats(count); }
  void SetNObjects(int32_t count) { SetNObjs(count); }

  // Sets the number of objects, then of features, notifying for each. False, with nothing
  // changed, for a negative count, beyond MaxFeatures or MaxValues, or when memory fails; else
  // true.
  bool Resize(int32_t NFeats, int32_t NObjs);

  // No features, no objects. Notifies.
  void Clear();

  // Every value becomes its feature kind's default: "0" for fkInteger and fkDouble, empty for
  // the others. Notifies once per object.
  void ResetToDefault();

  // ----------------------------------------------------------------------------------------------
  // Properties of the features

  // The properties of feature fix, owned by the matrix (changing them does not notify). Never
  // null: for fix outside 1..NFeatures the result is a default properties object that the matrix
  // keeps apart from its features and resets to the defaults at every such call; changing it
  // changes nothing in the matrix, and it is freed with the matrix.
  TFeatMatProps* GetFeatProps(int32_t fix);
  TFeatMatProps* FeatProps(int32_t fix) { return GetFeatProps(fix); }

  // Installs FeatMatProps as the properties of feature fix, without copying it, and notifies.
  // The matrix owns it from then on (an owner it had gives it up) and frees the object it
  // replaces. Passing the object installed already just notifies; passing the object that
  // GetFeatProps gave for an index out of range installs it; passing the properties of another
  // feature of this matrix installs a copy of them (an object has one place only).
  // Out of range or null: nothing, and the object stays the caller's. The object must have
  // been made with new.
  void SetFeatProps(int32_t fix, TFeatMatProps* FeatMatProps);
  // The same with the ownership spelled out: out of range, the object is freed.
  void SetFeatProps(int32_t fix, std::unique_ptr<TFeatMatProps> FeatMatProps);

  // Sets the kind of the features IxFrom..IxTo; the values are neither checked nor converted.
  // No notification. Ranges here and in RenumberFeatures: IxFrom = IxTo = 0 means all features;
  // otherwise both bounds are clipped to 1..NFeatures and swapped when reversed.
  void SetFeatType(int32_t IxFrom, int32_t IxTo, TFeatKind FeatKind);

  // FeatNum of feature i in the range := FirstNum + (i - low) * Delta, low being the range's
  // lower bound, in 32-bit arithmetic that wraps around. No notification.
  //   (0, 0, 10, 5) on three features => 10, 15, 20
  void RenumberFeatures(int32_t IxFrom, int32_t IxTo, int32_t FirstNum, int32_t Delta);

  // Names the features IxFrom..IxTo (in ascending order; IxFrom = IxTo = 0: all) by expanding
  // Template for each. Returns 0; -1 when a bound lies outside 1..NFeatures (nothing changes,
  // bounds are not clipped); -2 when a template expansion fails (the loop stops there; names set
  // before stay). No notification.
  // For feature i with number n = FirstNum + (i - low) * Delta (32-bit, wrapping), the first
  // "<%" of the text is found, then the first "%>" of the text; the letter after "<%" (any case)
  // picks the replacement and the text between it and "%>" is its parameter; the whole
  // placeholder is replaced and the search starts again at the beginning, until no "<%" is left.
  // w is the integer at the start of the parameter (blanks skipped, optional sign, 0 if none):
  //   D  n in decimal: w = 0 plain; w > 0 right-aligned with blanks in w characters, or its
  //      last w characters when longer; w < 0 exactly -w digits with leading zeros (higher
  //      digits dropped), with "-" in front when n is negative
  //   I  the index i, formatted like D
  //   H  n as exactly w upper-case hexadecimal digits of its low bits (w <= 0: 1, at most 8)
  //   T  the current date and time (taken once per call) by the parameter as a FormatDateTime
  //      pattern (xan/platform/format_settings.h: the language of strftime)
  // Expansion fails when "%>" is missing or lies before the "<%", for any other letter (the
  // placeholder would become "###"), for a date/time the platform cannot format, and after
  // 4096 replacements in one name (a replacement that keeps making placeholders).
  //   ("F<%D-3%>", 0, 0, 7, 1) on three features => "F007", "F008", "F009"
  //   ("<%I2%>:<%H4%>") for index 3 and n 255 => " 3:00FF"
  //   ("<%D2%>") for n -123 => "23";  ("<%D-2%>") for n -7 => "-07"
  //   ("N<%T%Y%>") => "N2024" in the year 2024
  //   ("x<%Q%>") => -2, the name unchanged;  (any, 0, 5) on three features => -1
  int32_t GenerateFeatNames(StringView Template, int32_t IxFrom, int32_t IxTo, int32_t FirstNum,
                            int32_t Delta);

  // The first feature whose FeatName equals Name with A-Z and a-z alike, or -1.
  int32_t FindFeatName(StringView Name) const noexcept;
  // The first feature whose FeatNum equals Num, or -1.
  int32_t FindFeatNum(int32_t Num) const noexcept;

  // ----------------------------------------------------------------------------------------------
  // Values. fix is the feature, obj the object.

  // The stored text; "" out of range. Raises "...: feature <fix> is undefined" for a feature
  // of kind fkUndefined.
  String GetFeatValStr(int32_t fix, int32_t obj) const;
  String FeatVal(int32_t fix, int32_t obj) const { return GetFeatValStr(fix, obj); }

  // Stores FeatVal as given after checking it against the feature's kind, and notifies. Out of
  // range: nothing. The empty text passes every check but fkUndefined's.
  //   fkUndefined: always raises "...: feature <fix> is undefined"
  //   fkInteger:   the integer check, else "...: feature value \"<FeatVal>\" is not a valid
  //                integer number"
  //   fkDouble:    the floating-point check, else "...: feature value \"<FeatVal>\" is not a
  //                valid floating point number"
  //   fkString:    anything
  //   fkTriState:  "true" or "false" with A-Z folded, else "...: feature value \"<FeatVal>\" is
  //                not a valid tri-state value"
  // The integer check: a "+", "-" or digit, then digits only; a one-character text is a digit.
  //   "-12" => ok,  "007" => ok,  "1.5", " 12", "+", "1e3" => fail
  // The floating-point check looks only at the leading number, with "." as the separator, after
  // upper-casing: blanks before it, an optional sign, digits and a point (at least one of the
  // two), then an optional "E" with an optional sign and digits whose value is at most 4200.
  //   "1.5", " -2", "12abc", ".", "1E", "1E4200", "1e-3x" => ok
  //   "", "   ", "+", "E5", "1.2.3", "1E 5", "1E4201", "- 1" => fail
  void SetFeatValStr(int32_t fix, int32_t obj, StringView FeatVal);
  void SetFeatVal(int32_t fix, int32_t obj, StringView FeatVal) {
    SetFeatValStr(fix, obj, FeatVal);
  }

  // The stored text as a signed 64-bit integer, whatever the kind; 0 out of range. Raises
  // "...: feature is not an integer" when the text fails the integer check (the empty text
  // does), and EConvertError "'<text>' is not a valid integer value" beyond the 64-bit range.
  int64_t GetFeatValInt(int32_t fix, int32_t obj) const;
  int64_t FeatValAsInt(int32_t fix, int32_t obj) const { return GetFeatValInt(fix, obj); }
  // Stores the decimal text of FeatVal and notifies; out of range: nothing. Raises
  // "...: feature is not of numeric or string type" for fkUndefined and fkTriState.
  void SetFeatValint(int32_t fix, int32_t obj, int64_t FeatVal);
  void SetFeatValInt(int32_t fix, int32_t obj, int64_t FeatVal) {
    SetFeatValint(fix, obj, FeatVal);
  }

  // The stored text as a double, whatever the kind; 0 out of range. Raises "...: feature is
  // not a floating point number" when the text fails the floating-point check, then reads it
  // with StrToFloat (the locale's decimal separator), which raises EConvertError for a text
  // such as "12abc" that passes the check but is not a whole number.
  double GetFeatValDouble(int32_t fix, int32_t obj) const;
  double FeatValAsDouble(int32_t fix, int32_t obj) const { return GetFeatValDouble(fix, obj); }
  // Stores FloatToStr(FeatVal) (15 significant digits, the locale's decimal separator) and
  // notifies; out of range: nothing. Raises "...: feature is not a floating point or string
  // type" for kinds other than fkDouble and fkString.
  void SetFeatValDouble(int32_t fix, int32_t obj, double FeatVal);

  // The stored text as a three-state value, whatever the kind; tsUndefined out of range.
  // "true" => tsTrue, "false" => tsFalse (A-Z folded), "" => tsUndefined; any other text raises
  // "...: feature is not a tri-state value".
  TTriState GetFeatValTriState(int32_t fix, int32_t obj) const;
  TTriState FeatValAsTriState(int32_t fix, int32_t obj) const {
    return GetFeatValTriState(fix, obj);
  }
  // Stores "true", "false" or "" (tsUndefined) and notifies; out of range: nothing. Raises
  // "...: feature is not a tri-state or string type" for kinds other than fkTriState and
  // fkString.
  void SetFeatValTriState(int32_t fix, int32_t obj, TTriState FeatVal);

  // Gives every object of feature fix the same value and notifies; false (nothing done) for fix
  // out of range, else true.
  // The text form checks FeatVal as SetFeatValStr does, except that the empty text fails the
  // integer and floating-point checks.
  bool Fill(int32_t fix, StringView FeatVal);
  // The kind must be fkInteger, else "...: feature <fix> is not an integer number".
  bool Fill(int32_t fix, int64_t FeatVal);
  bool Fill(int32_t fix, int32_t FeatVal) { return Fill(fix, int64_t{FeatVal}); }
  // The kind must be fkDouble, else "...: feature <fix> is not floating point number".
  bool Fill(int32_t fix, double FeatVal);
  // The kind must be fkTriState, else "...: feature <fix> is not a tri-state value".
  bool Fill(int32_t fix, TTriState FeatVal);

  // ----------------------------------------------------------------------------------------------
  // Objects and features as wholes. Indices outside the ranges given do nothing.

  // Makes room at object obj (1..NObjects): NObjects grows by one (notifies), the objects
  // obj..last move one up, object obj is cleared as by ClearObject (notifies); notifies once
  // more at the end.
  void InsertObject(int32_t obj);
  // Removes object obj (1..NObjects): the later objects move one down, NObjects shrinks by one
  // (notifies); notifies once more at the end.
  void RemoveObject(int32_t obj);
  // Makes room at feature feat (1..NFeatures + 1, so that a feature can be appended):
  // NFeatures grows by one (notifies), the features feat..last move one up with their
  // properties and values, and feature feat gets default properties and empty values; notifies
  // once more at the end.
  void InsertFeature(int32_t feat);
  // Removes feature feat (1..NFeatures) with its properties: the later features move one down,
  // NFeatures shrinks by one (notifies); notifies once more at the end.
  void RemoveFeature(int32_t feat);
  // Each value of object obj becomes its kind's default ("0" for integer and double, "" else).
  // Notifies.
  void ClearObject(int32_t obj);
  // Each value of feature feat becomes its kind's default. Notifies.
  void ClearFeature(int32_t feat);
  // Copies the values of object Source to object Target. Notifies.
  void CopyObject(int32_t Source, int32_t Target);

  // ----------------------------------------------------------------------------------------------
  // The file

  // Creates or overwrites the file (ANSI code page, CR LF) and writes the matrix to it. Raises
  // the platform's EInOutError (EFCreateError) when the file cannot be created or written.
  void Save(StringView FName) const;
  // Writes the matrix at the open file's position. Raises what the file raises.
  void SaveToOpenFile(TTextFile& F) const;

  // Reads the file: -1 when it does not exist; else 0 when a section was read, -2 when the file
  // held no "#featdef" or "#featvals" section, -3 when reading or converting failed. Raises the
  // platform's EInOutError (EFOpenError) when the file exists but cannot be opened.
  int32_t Load(StringView FName);
  // Clears the matrix (notifies) and reads it from the open file's position, in the file's
  // encoding; notifies once more at the end, whatever the result. Returns 0 when a section was
  // read, -1 when the file held no section line, -2 when reading or converting failed (what was
  // read so far stays). Never raises.
  // Lines that are empty or do not begin with "#" are skipped. A "#" line holds a keyword up to
  // its first blank (lines without a blank are skipped), looked up with A-Z folded:
  //   featdef n v  with v = 1: n features with default properties, then exactly 6 n lines
  //                "<feature> <key> <value>" (keys with A-Z folded; unknown keys, values that
  //                are empty and features outside 1..n are ignored); another v skips the line
  //   featvals F O F features (the properties are kept, new ones get defaults) and O objects
  //                with empty values; then lines "<feature> <object> <value>" until the end of
  //                the file or an empty line or a "#" line (which is consumed), and reading
  //                stops; values outside the table are ignored
  //   featend ...  reading stops
  // A count, version, number or FeatNum that is not an integer, a negative count, a property
  // line without its feature number and an I/O error give -2.
  int32_t LoadFromOpenFile(TTextFile& F);

  // ----------------------------------------------------------------------------------------------
  // Copying and notification

  // From another TFeatureMatrix (or a descendant): its dimensions, a copy of every properties
  // object, all values and its OnChange callback; notifies only through the change of
  // NFeatures (with the callback copied). Other sources as TPersistent::Assign.
  void Assign(const TPersistent& Source) override;
  // Into another TFeatureMatrix: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  // Calls OnChange(this) when a callback is set.
  void Changed();
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  using TPropsList = std::vector<std::unique_ptr<TFeatMatProps>>;

  bool InRange(int32_t fix, int32_t obj) const noexcept {
    return fix >= 1 && fix <= FNFeats && obj >= 1 && obj <= FNObjs;
  }
  bool FeatInRange(int32_t fix) const noexcept { return fix >= 1 && fix <= FNFeats; }
  bool ObjInRange(int32_t obj) const noexcept { return obj >= 1 && obj <= FNObjs; }
  // Where a value's text lies in FValueText; the length 0 is the empty value.
  struct TValueRef {
    uint64_t Offset = 0;
    uint32_t Length = 0;
  };
  // The value table and the text pool are the large arrays of a matrix: they lie in large
  // blocks, so that the host can back them with large pages.
  using TValueTable = std::vector<TValueRef, TLargeBlockAllocator<TValueRef>>;
  using TTextPool = std::vector<Char, TLargeBlockAllocator<Char>>;
  // The table and pool of the content a load replaces, for the new content to reuse.
  struct TSpareStorage {
    TValueTable Values;
    TTextPool Text;
  };
  TValueRef& Ref(int32_t fix, int32_t obj) noexcept {
    return FFeatVals[static_cast<size_t>(obj - 1) * static_cast<size_t>(FNFeats) +
                     static_cast<size_t>(fix - 1)];
  }
  const TValueRef& Ref(int32_t fix, int32_t obj) const noexcept {
    return FFeatVals[static_cast<size_t>(obj - 1) * static_cast<size_t>(FNFeats) +
                     static_cast<size_t>(fix - 1)];
  }
  // The text of a value, valid until the next change of the matrix.
  StringView Text(int32_t fix, int32_t obj) const noexcept;
  // Copies Text into the pool and gives where it lies; raises EXANDStructError when memory fails.
  TValueRef AddText(StringView Text);
  // Points Cell at Value, keeping the count of characters in use.
  void Point(TValueRef& Cell, TValueRef Value) noexcept {
    FLiveText = FLiveText - Cell.Length + Value.Length;
    Cell = Value;
  }
  // Stores a copy of Text as the value of fix, obj.
  void Store(int32_t fix, int32_t obj, StringView Text);
  // The same for a text given as its bytes in a file's encoding (ANSI code page or UTF-8).
  void StoreBytes(int32_t fix, int32_t obj, std::string_view Bytes, TTextEncoding Encoding);
  // Drops the texts no cell refers to once they outweigh the ones in use (with some slack), and
  // the whole pool when the table is empty. Cheap when there is nothing to do: stores call it.
  void Compact() noexcept {
    if (FFeatVals.empty() || FValueText.size() > 2 * FLiveText + kCompactSlack) CompactPool();
  }
  static constexpr uint64_t kCompactSlack = 1 << 16;
  void CompactPool() noexcept;
  TFeatKind Kind(int32_t fix) const noexcept {
    return FFeatProps[static_cast<size_t>(fix) - 1]->FeatKind;
  }

  // Raises as SetNFeats for a negative count or beyond MaxFeatures or MaxValues.
  void CheckSizes(int32_t NFeats, int32_t NObjs) const;
  // Resizes the table and the properties list without notifying; raises as SetNFeats.
  void ResizeTable(int32_t NFeats, int32_t NObjs);
  // Raises EXANDStructError with this component's name and the reason.
  [[noreturn]] void Fail(StringView Reason) const;
  // The check of SetFeatValStr and Fill; raises its message on failure.
  void CheckValue(int32_t fix, StringView FeatVal, bool EmptyPassesNumbers) const;
  // Stores Text for every object of fix and notifies.
  void FillText(int32_t fix, StringView Value);
  // The range of SetFeatType and RenumberFeatures; false when there is none.
  bool ClippedRange(int32_t IxFrom, int32_t IxTo, int32_t& Low, int32_t& High) const noexcept;
  // The reading behind LoadFromOpenFile, raising where it fails.
  void ReadSections(TTextFile& F, int32_t& Result, TSpareStorage& Spare);

  int32_t FNFeats = 0;
  int32_t FNObjs = 0;
  TPropsList FFeatProps;
  // The values, NObjects rows of NFeatures references in one block: feature f, object o at
  // (o - 1) * NFeatures + (f - 1), the order in which files hold them. Their texts lie in
  // FValueText, one pool for all, so that a large table is a few blocks of memory rather than a
  // block per value; FLiveText counts the characters the cells refer to.
  TValueTable FFeatVals;
  TTextPool FValueText;
  uint64_t FLiveText = 0;
  TNotifyEvent FOnChange;
  // What GetFeatProps gives for an index out of range; made when first needed.
  std::unique_ptr<TFeatMatProps> FOutOfRangeProps;
};

}  // namespace xan
